// The running recorder with its main window driven like a user drives it:
// mouse events at the skin's hotspots and knobs, delivered through the
// window system interface (so the pressed-button state is the real one), and
// timer ticks run by the test instead of the 100 ms timer, so that every
// step is deterministic.
//
// The audio platform is a scripted computer with one output ("Speakers"):
// the engine records from a scripted capture stream (nothing, unless a test
// gives it a script) and plays to a scripted render stream. Tracks are real
// cache files of 16-bit stereo at 1000 frames a second, so that a long track
// stays small.
#pragma once

#include <QPoint>
#include <memory>
#include <string>

#include "recorderTestApp.h"
#include "scriptedDevices.h"

class WindowHarness {
  public:
    // outputs = false: a computer without outputs (record mode falls back to
    // playback mode, nothing plays).
    explicit WindowHarness(bool outputs = true);
    ~WindowHarness();

    // Starts the recorder and stops its timer; OKAY or NOT_OKAY.
    int start();
    RecorderApp& app() { return h.app; }

    // --- the skin
    QPoint hotspot(int key);     // centre of a hotspot
    QPoint knob(int sliderKey);  // centre of a slider's knob where it is now
    int sliderX(int sliderKey, float value);
    int knobRange(int sliderKey, int& minX, int& maxX);
    int value(int componentKey);
    std::string text(int textKey);
    float sliderValue(int sliderKey);
    int sliderEnabled(int sliderKey);

    // --- the mouse, in client coordinates of the main window
    void move(QPoint p);
    void press(QPoint p);
    void release(QPoint p);
    void click(QPoint p);
    void doubleClick(QPoint p);
    void leave();

    // --- the program
    int tick();  // one timer tick
    // A kept track of `lengthMs` recorded at `start`, every sample `sample`;
    // its row is in the list. Returns its id.
    int addTrack(long lengthMs, long start = 1700000000, int16_t sample = 0);
    void fill();
    void select(int row);
    int selectedRow();  // first selected row, -1 for none
    // Engine status of the loaded track.
    int enginePosition();
    int engineLength();
    bool enginePlaying();
    // The render stream stops taking audio (the track stays where it is) or takes it again.
    void freezePlayback(bool frozen);

    ScriptedDevices devices;
    RecorderHarness h;

  private:
    bool outputs_;
};
