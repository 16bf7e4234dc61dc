// The harness of the main window tests (see windowHarness.h).
#include "windowHarness.h"

#include <QTest>
#include <QWindow>
#include <vector>

#include "CsndDevicesWaveFile.h"
#include "ptListView.h"
#include "recCache.h"
#include "recorderInit.h"
#include "recorderMainSkin.h"
#include "recorderMainWindow.h"
#include "recorderPaths.h"
#include "recorderSongList.h"
#include "recorderTimer.h"
#include "report.h"
#include "skin.h"
#include "sndDevicesPlay.h"
#include "sndDevicesScramble.h"

WindowHarness::WindowHarness(bool outputs) : outputs_(outputs) {
    devices.setEndpoints(
        {ScriptedEndpoint{AudioEndpoint{"spk", "Speakers", "Speakers device"}, audioFloatFormat(2, 48000)}});
    devices.setDefault("spk");
    if (outputs_) h.app.services.audioDevices = &devices;
}

WindowHarness::~WindowHarness() {
    // The engine goes before the scripted computer it uses.
    recorderShutdown(h.app);
}

int WindowHarness::start() {
    if (h.start() != OKAY || !h.app.window.mainWindow || !h.app.owned.skin) return NOT_OKAY;
    recorderKillTimer(h.app);
    h.pump(20);
    return OKAY;
}

QPoint WindowHarness::hotspot(int key) {
    int enabled = 0, l = 0, t = 0, r = 0, b = 0;
    skinHotspotGet(h.app.owned.skin.get(), key, enabled, l, t, r, b);
    return QPoint((l + r) / 2, (t + b) / 2);
}

int WindowHarness::sliderX(int sliderKey, float v) {
    int x = 0;
    skinSliderValueToX(h.app.owned.skin.get(), sliderKey, v, x);
    return x;
}

int WindowHarness::knobRange(int sliderKey, int& minX, int& maxX) {
    minX = sliderX(sliderKey, 0.0f);
    maxX = sliderX(sliderKey, 1.0f);
    return OKAY;
}

QPoint WindowHarness::knob(int sliderKey) {
    for (const SkinSlider& s : h.app.owned.skin->sliders)
        if (s.key == sliderKey)
            return QPoint(sliderX(sliderKey, s.value), s.track.top + s.track.height() / 2);
    return QPoint(-1, -1);
}

float WindowHarness::sliderValue(int sliderKey) {
    float v = -1.0f;
    skinSliderGetValue(h.app.owned.skin.get(), sliderKey, v);
    return v;
}

int WindowHarness::sliderEnabled(int sliderKey) {
    for (const SkinSlider& s : h.app.owned.skin->sliders)
        if (s.key == sliderKey) return s.enabled;
    return -1;
}

int WindowHarness::value(int componentKey) {
    int v = -1;
    skinComponentGetValue(h.app.owned.skin.get(), componentKey, v);
    return v;
}

std::string WindowHarness::text(int textKey) {
    std::string t;
    skinTextGetText(h.app.owned.skin.get(), textKey, t);
    return t;
}

static QWindow* handle(RecorderApp& app) { return app.window.mainWindow->windowHandle(); }

void WindowHarness::move(QPoint p) { QTest::mouseMove(handle(h.app), p); }
void WindowHarness::press(QPoint p) { QTest::mousePress(handle(h.app), Qt::LeftButton, {}, p); }
void WindowHarness::release(QPoint p) { QTest::mouseRelease(handle(h.app), Qt::LeftButton, {}, p); }
void WindowHarness::click(QPoint p) {
    move(p);
    QTest::mouseClick(handle(h.app), Qt::LeftButton, {}, p);
}
void WindowHarness::doubleClick(QPoint p) {
    move(p);
    QTest::mouseDClick(handle(h.app), Qt::LeftButton, {}, p);
}
void WindowHarness::leave() {
    QEvent leaveEvent(QEvent::Leave);
    QCoreApplication::sendEvent(h.app.window.mainWindow, &leaveEvent);
}

int WindowHarness::tick() { return recorderTimer(h.app); }

int WindowHarness::addTrack(long lengthMs, long start, int16_t sample) {
    std::string cache;
    recorderPaths(RECORDER_PATH_CACHE, cache);
    static int serial = 0;
    const std::string base =
        std::to_string(start) + "_" + std::to_string(lengthMs) + "_" + std::to_string(++serial);
    const AudioFormat format = audioPcm16Format(2, 1000);
    CsndDevicesWaveFile file;
    if (file.open(cache + "/" + base + ".tmp", &format, kWaveModeWrite) != kWaveSOk) return -1;
    // 1 frame a ms, scrambled as the recorder keeps its tracks.
    const uint16_t key = recorderScrambleKey(h.app);
    const auto stored = static_cast<int16_t>(key ? sndDevicesScramble(static_cast<uint16_t>(sample), key)
                                                 : static_cast<uint16_t>(sample));
    const std::vector<int16_t> frames(static_cast<size_t>(lengthMs) * 2, stored);
    uint32_t written = 0;
    file.write(static_cast<uint32_t>(frames.size() * 2), frames.data(), &written);
    file.close();
    if (recCacheInsert(h.app.owned.cacheDb.get(), base, start, lengthMs) != OKAY) return -1;
    std::vector<int> ids;
    recCacheGetIds(h.app.owned.cacheDb.get(), kRecCacheMaxIds, ids);
    fill();
    return ids.back();
}

void WindowHarness::fill() { recorderSongListFill(h.app); }

void WindowHarness::select(int row) {
    ptListViewClearSelection(h.app.owned.listCtrl.get());
    if (row >= 0) ptListViewSelect(h.app.owned.listCtrl.get(), row, true);
}

int WindowHarness::selectedRow() {
    std::vector<int> rows;
    ptListViewGetSelected(h.app.owned.listCtrl.get(), kPtListViewMaxSelection, rows);
    return rows.empty() ? -1 : rows[0];
}

int WindowHarness::enginePosition() {
    int playing = 0, position = 0, length = 0;
    sndDevicesPlayStatus(*h.app.owned.engine, playing, position, length);
    return position;
}

int WindowHarness::engineLength() {
    int playing = 0, position = 0, length = 0;
    sndDevicesPlayStatus(*h.app.owned.engine, playing, position, length);
    return length;
}

bool WindowHarness::enginePlaying() {
    int playing = 0, position = 0, length = 0;
    sndDevicesPlayStatus(*h.app.owned.engine, playing, position, length);
    return playing != 0;
}

void WindowHarness::freezePlayback(bool frozen) {
    auto render = devices.lastRender();
    if (render) render->setPadding(frozen ? h.app.owned.engine->streams.renderBufferFrames : 0);
}
