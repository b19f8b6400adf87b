// A shared object with nothing in it: what loading any library costs.
namespace {
int nothing = 0;
}  // namespace
int* vexilo_empty_library_marker() { return &nothing; }
