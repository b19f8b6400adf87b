#include "events/draw_event.hpp"

namespace events {

DrawEvent& drawEvent() {
  static DrawEvent event;
  return event;
}

}  // namespace events
