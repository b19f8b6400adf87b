#include "events/draw_event.hpp"

namespace events {

DrawEvent& drawEvent() {
  // A host thread still inside a frame at unload may be running the event's
  // subscribers: then the event outlives the library's other statics.
  static injector::kept_while_running<DrawEvent, DrawHooker::manager_type> event;
  return event.get();
}

}  // namespace events
