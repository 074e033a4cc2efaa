// What the renderer marks on the widgets it makes, so that the event filter
// and the accessibility factory, which see only a widget, know what it is.
#pragma once

namespace kelvqt {

inline const char* const screenProperty = "kelvoraScreen";        // the screen a control belongs to
inline const char* const windowProperty = "kelvoraWindow";        // a screen's window
inline const char* const groupProperty = "kelvoraGroup";          // the box of a named option group
inline const char* const pressableProperty = "kelvoraPressable";  // the renderer a surface's press goes to

}  // namespace kelvqt
