// Appended to a copy of a report page (its no-script policy taken out) by
// html-report.sh: measures, as laid out, whether the text of every element
// drawn with the dashed "unset" outline stays inside that outline, and
// writes what it found into the page for --dump-dom to show.
(function () {
  const spills = [];
  for (const box of document.querySelectorAll(".unset")) {
    const style = getComputedStyle(box);
    // The outline is drawn between its offset and its offset plus its width,
    // inside the border edge when the offset is negative.
    const inset = -parseFloat(style.outlineOffset);
    const outer = box.getBoundingClientRect();
    const range = document.createRange();
    range.selectNodeContents(box);
    const text = range.getBoundingClientRect();
    const fits = text.left >= outer.left + inset && text.right <= outer.right - inset &&
                 text.top >= outer.top + inset && text.bottom <= outer.bottom - inset;
    if (!fits) spills.push((box.dataset.zone || "legend") + ":" + box.textContent.trim());
  }
  const result = document.createElement("pre");
  result.id = "outline-fit";
  result.textContent = "checked " + document.querySelectorAll(".unset").length + "; spills " + spills.join(" | ");
  document.body.appendChild(result);
})();
