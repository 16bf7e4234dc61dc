// Renders a skin folder in the states the main window shows, to PNG files,
// so that a skin can be looked at without running the recorder.
//
// The skin is loaded by the program's own loader and painted by the skin
// engine into an image; the states are set the way the main window sets them
// (two-image buttons, indicator frames, time read-outs, hover images bound to
// their hotspots). The track list is a separate window in the program; here a
// stand-in list is drawn into its rectangle with the skin's list colours.
//
// Usage: skinrender <Skins folder> <output folder>
#include <cstdio>
#include <string>
#include <vector>

#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include "recorderMainSkin.h"
#include "report.h"
#include "skin.h"

static constexpr const char* kReportModule = "../../tools/skinrender/skinrender";

namespace {

class ImageWindow : public PaintWindow {
  public:
    explicit ImageWindow(QSize size) : image(size, QImage::Format_RGB32) { image.fill(Qt::black); }
    void clientSize(int& width, int& height) const override {
        width = image.width();
        height = image.height();
    }
    void invalidate(const hwndRect&, bool) override {}
    QPaintDevice* paintDevice() override { return &image; }
    QImage image;
};

struct View {
    bool recordMode = true;
    bool autoSegment = true;
    bool hideShort = false;
    bool playing = false;
    bool recording = false;  // a recording runs (duration > 0)
    int frame = 0;           // 0: indicator off, else 1..4
    bool tracks = true;      // the cache holds tracks
    std::string recordTime = "stopped";
    std::string playTime = "stopped";
    float volume = 0.8f;
    float position = -1;  // < 0: no track loaded (slider disabled)
    int hoverX = 0;
    int hoverY = 0;
};

int set(Skin* skin, int key, int value) { return skinComponentSetValue(skin, key, value); }

// The hover routine of the main window: each hover image follows its hotspot.
int hover(Skin* skin, PaintWindow* w, const View& v) {
    const int pairs[][2] = {{kSkinMenuHover, kSkinHotMenu},     {kSkinLogoHover, kSkinHotLogo},
                            {kSkinDeleteHover, kSkinHotDelete}, {kSkinSaveHover, kSkinHotSave},
                            {kSkinRenameHover, kSkinHotRename}, {kSkinPreviousHover, kSkinHotPrevious},
                            {kSkinNextHover, kSkinHotNext},     {kSkinFindSongsHover, kSkinHotFindSongs}};
    const int x = v.hoverX, y = v.hoverY;
    for (auto& p : pairs) REPORT_CHECK(skinHover(skin, w, x, y, p[0], p[1]));
    REPORT_CHECK(set(skin, v.recordMode ? kSkinRecordModeOffHover : kSkinRecordModeOnHover, 0));
    REPORT_CHECK(skinHover(skin, w, x, y, v.recordMode ? kSkinRecordModeOnHover : kSkinRecordModeOffHover,
                           kSkinHotRecordMode));
    REPORT_CHECK(set(skin, v.hideShort ? kSkinHideShortOffHover : kSkinHideShortOnHover, 0));
    REPORT_CHECK(skinHover(skin, w, x, y, v.hideShort ? kSkinHideShortOnHover : kSkinHideShortOffHover,
                           kSkinHotHideShort));
    REPORT_CHECK(set(skin, v.autoSegment ? kSkinAutoSegmentOffHover : kSkinAutoSegmentOnHover, 0));
    REPORT_CHECK(skinHover(skin, w, x, y, v.autoSegment ? kSkinAutoSegmentOnHover : kSkinAutoSegmentOffHover,
                           kSkinHotAutoSegment));
    REPORT_CHECK(set(skin, v.playing ? kSkinPlayHover : kSkinPauseHover, 0));
    REPORT_CHECK(skinHover(skin, w, x, y, v.playing ? kSkinPauseHover : kSkinPlayHover, kSkinHotPlayPause));
    int newTrack = 0;
    REPORT_CHECK(skinComponentGetValue(skin, kSkinNewTrack, newTrack));
    if (newTrack) {
        REPORT_CHECK(skinHover(skin, w, x, y, kSkinNewTrackHover, kSkinHotNewTrack));
    } else {
        REPORT_CHECK(set(skin, kSkinNewTrackHover, 0));
    }
    REPORT_CHECK(skinSliderHover(skin, w, x, y, kSkinSliderVolume));
    REPORT_CHECK(skinSliderHover(skin, w, x, y, kSkinSliderPosition));
    return OKAY;
}

int apply(Skin* skin, PaintWindow* w, const View& v) {
    REPORT_CHECK(set(skin, kSkinRecordModeOn, v.recordMode));
    REPORT_CHECK(set(skin, kSkinRecordModeOff, !v.recordMode));
    REPORT_CHECK(set(skin, kSkinHideShortOn, v.hideShort));
    REPORT_CHECK(set(skin, kSkinHideShortOff, !v.hideShort));
    REPORT_CHECK(set(skin, kSkinAutoSegmentOn, v.autoSegment));
    REPORT_CHECK(set(skin, kSkinAutoSegmentOff, !v.autoSegment));
    REPORT_CHECK(set(skin, kSkinPause, v.playing));
    REPORT_CHECK(set(skin, kSkinPlay, !v.playing));
    REPORT_CHECK(set(skin, kSkinIndicatorIdle, 1));
    for (int k = 0; k < kSkinIndicatorFrames; ++k)
        REPORT_CHECK(set(skin, kSkinIndicatorFrame1 + k, v.frame == k + 1));
    REPORT_CHECK(set(skin, kSkinNewTrack, !v.autoSegment && v.recording));
    const bool timeShown = v.autoSegment ? v.frame != 0 : v.recording;
    REPORT_CHECK(set(skin, kSkinTextRecordTime, timeShown));
    REPORT_CHECK(skinTextSetText(skin, kSkinTextRecordTime, timeShown ? v.recordTime : "stopped"));
    REPORT_CHECK(set(skin, kSkinTextPlayTime, 1));
    REPORT_CHECK(skinTextSetText(skin, kSkinTextPlayTime, v.playTime));
    REPORT_CHECK(set(skin, kSkinInstructions, !v.tracks && !v.recording));
    REPORT_CHECK(skinSliderSetValue(skin, w, kSkinSliderVolume, v.volume));
    REPORT_CHECK(skinSliderSetEnabled(skin, kSkinSliderPosition, v.position >= 0));
    if (v.position >= 0) REPORT_CHECK(skinSliderSetValue(skin, w, kSkinSliderPosition, v.position));
    REPORT_CHECK(hover(skin, w, v));
    return OKAY;
}

// A stand-in for the track list window: column header and a few rows.
void drawList(Skin* skin, QImage& image, const View& v) {
    int l = 0, t = 0, r = 0, b = 0;
    RecorderSkinColour ink, back;
    if (recorderMainSkinListLayout(skin, l, t, r, b, ink, back) != OKAY) return;
    QPainter p(&image);
    p.setRenderHint(QPainter::TextAntialiasing);
    const QColor inkColour(ink.red, ink.green, ink.blue);
    const QColor backColour(back.red, back.green, back.blue);
    p.fillRect(QRect(l, t, r - l, b - t), backColour);
    QFont f("DejaVu Sans");
    f.setPixelSize(12);
    p.setFont(f);
    const int w = r - l;
    const int split = l + w * 72 / 100;
    p.fillRect(QRect(l, t, w, 22), backColour.lighter(125));
    p.setPen(inkColour.darker(130));
    p.drawText(QRect(l + 8, t, split - l - 8, 22), Qt::AlignVCenter, "Track");
    p.drawText(QRect(split + 8, t, r - split - 8, 22), Qt::AlignVCenter, "Duration");
    std::vector<std::pair<std::string, std::string>> rows = {{"Night Drive - Coastline", "3:42"},
                                                             {"Slow Lights - Paper Harbour", "4:05"},
                                                             {"Untitled 2026-12-10 11:02", "2:58"},
                                                             {"Glass Orchard - Morning Static", "5:11"}};
    if (v.recording) rows.insert(rows.begin(), {"Recording...", v.recordTime});
    int y = t + 22;
    for (size_t i = 0; i < rows.size() && y + 22 <= b; ++i, y += 22) {
        const bool selected = v.playing && i == 1;
        if (selected) p.fillRect(QRect(l, y, w, 22), QColor(0x2F, 0x6B, 0xE0));
        p.setPen(QColor(0x2B, 0x30, 0x3A));
        p.drawLine(l, y + 21, r - 1, y + 21);
        p.setPen(selected ? QColor(Qt::white) : inkColour);
        p.drawText(QRect(l + 8, y, split - l - 8, 22), Qt::AlignVCenter,
                   QString::fromStdString(rows[i].first));
        p.drawText(QRect(split + 8, y, r - split - 8, 22), Qt::AlignVCenter,
                   QString::fromStdString(rows[i].second));
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: skinrender <Skins folder> <output folder>\n");
        return 2;
    }
    QGuiApplication app(argc, argv);
    const std::string out = argv[2];
    std::unique_ptr<Skin> skin;
    QSize size;
    RecorderMainSkinHooks hooks;
    hooks.sizeWindow = [&size](int w, int h) {
        size = QSize(w, h);
        return OKAY;
    };
    if (recorderInitMainSkin(argv[1], nullptr, nullptr, hooks, skin) != OKAY || !skin) {
        std::fprintf(stderr, "skinrender: the skin in %s did not load\n", argv[1]);
        return 1;
    }

    struct Shot {
        std::string name;
        View view;
    };
    std::vector<Shot> shots;
    View idle;
    idle.tracks = false;
    shots.push_back({"idle_empty", idle});
    View ready;
    shots.push_back({"idle_tracks", ready});
    for (int f = 1; f <= 4; ++f) {
        View rec;
        rec.autoSegment = false;
        rec.recording = true;
        rec.frame = f;
        rec.recordTime = "3:07";
        shots.push_back({"recording_frame_" + std::to_string(f), rec});
    }
    View playing;
    playing.playing = true;
    playing.playTime = "1:42";
    playing.position = 0.42f;
    shots.push_back({"playing", playing});
    View playback;
    playback.recordMode = false;
    playback.autoSegment = false;
    playback.hideShort = true;
    shots.push_back({"playback_mode", playback});

    // Hover: the pointer in the middle of each hotspot, then on each knob.
    for (const SkinHotspot& h : skin->hotspots) {
        View v = ready;
        if (h.key == kSkinHotNewTrack) {
            v.autoSegment = false;
            v.recording = true;
            v.frame = 2;
            v.recordTime = "0:41";
        }
        v.hoverX = (h.rect.left + h.rect.right - 1) / 2;
        v.hoverY = (h.rect.top + h.rect.bottom - 1) / 2;
        shots.push_back({"hover_" + std::to_string(h.key), v});
    }
    for (int key : {kSkinSliderVolume, kSkinSliderPosition}) {
        View v = playing;
        int x = 0;
        float value = key == kSkinSliderVolume ? v.volume : v.position;
        skinSliderValueToX(skin.get(), key, value, x);
        const SkinSlider& s = skin->sliders[key == kSkinSliderVolume ? 0 : 1];
        v.hoverX = x;
        v.hoverY = (s.track.top + s.track.bottom) / 2;
        shots.push_back({"hover_knob_" + std::to_string(key), v});
    }

    int failures = 0;
    ImageWindow window(size);
    for (const Shot& shot : shots) {
        if (apply(skin.get(), &window, shot.view) != OKAY || skinPaint(skin.get(), &window) != OKAY) {
            std::fprintf(stderr, "skinrender: %s failed\n", shot.name.c_str());
            ++failures;
            continue;
        }
        int instructions = 0;
        skinComponentGetValue(skin.get(), kSkinInstructions, instructions);
        if (!instructions) drawList(skin.get(), window.image, shot.view);
        const std::string path = out + "/" + shot.name + ".png";
        if (!window.image.save(QString::fromStdString(path), "PNG")) ++failures;
        std::printf("%s\n", path.c_str());
    }
    return failures == 0 ? 0 : 1;
}
