// The main window's keyboard focus. Tab and Shift+Tab move through the
// window's controls in reading order (rows from the top, each row from the
// left): the skin's buttons (the new-track button while it is shown), the
// track list (while it is shown) and the sliders (the play position while a
// track is loaded). The skin draws a ring in the button's own shape around
// the focused button, and around the focused knob; the list shows its focus
// itself. Space and Enter press the focused button; Left, Right, Page Up,
// Page Down, Home and End move the focused slider. A mouse press on the
// window takes the ring away.
#pragma once

#include <QRect>
#include <vector>

struct RecorderApp;

enum class RecorderFocusKind { Hotspot, List, Slider };

struct RecorderFocusItem {
    RecorderFocusKind kind = RecorderFocusKind::List;
    int key = -1;  // the hotspot's or the slider's key
    QRect rect;
    bool operator==(const RecorderFocusItem&) const = default;
};

// The step of a focused slider for an arrow key (Page Up and Page Down: four).
inline constexpr float kRecorderSliderKeyStep = 0.05f;

// Binds the focus to the main window (once, when the window is created): the
// ring goes when the list takes the focus.
int recorderMainFocusInstall(RecorderApp& app);
// The controls Tab goes through, in reading order.
int recorderMainFocusChain(RecorderApp& app, std::vector<RecorderFocusItem>& chain);
// The control that has the focus now: found is false when none of the chain has it.
int recorderMainFocusCurrent(RecorderApp& app, RecorderFocusItem& item, bool& found);
// Tab (forward) or Shift+Tab: the next control of the chain, from the last
// round to the first. handled is false when there is nothing to focus.
int recorderMainFocusNext(RecorderApp& app, bool forward, bool& handled);
// Gives the focus to one control of the chain.
int recorderMainFocusTo(RecorderApp& app, const RecorderFocusItem& item);
// Whether a skin button or knob has the focus (the window itself holds it then).
bool recorderMainFocusOnSkin(RecorderApp& app);
// Takes the ring away (a mouse press); the window keeps the keyboard.
int recorderMainFocusClear(RecorderApp& app);
// A key (Qt::Key) for the focused skin control: Space or Enter press a
// button, the movement keys move a slider. handled tells whether it was used.
int recorderMainFocusKey(RecorderApp& app, int key, bool& handled);
