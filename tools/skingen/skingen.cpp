// Generator of Tobrel's default skin, Skins/default_Tobrel.
//
// The art lives here as code: one function draws the whole window in a given
// state (which toggles are on, which button the pointer is over, which frame
// of the recording indicator shows), and every bitmap of the skin is a crop
// of such a drawing. Because the background, the buttons and their overlays
// all come from the same drawing, an overlay always matches the pixels
// around it. The generator also writes skin_definition.txt, which places the
// pieces; its layout is the one the skin loader reads, value by value.
//
// Usage: skingen <output folder>; skingen --icons <output folder> writes the
// application icon (the logo mark) into a hicolor theme tree instead. Fonts are the DejaVu faces of Debian's
// fonts-dejavu-core, loaded from their files so that the result does not
// depend on the desktop's font settings.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <initializer_list>
#include <string>
#include <vector>

#include <QDir>
#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace {

// ---------------------------------------------------------------- layout --
constexpr int kWidth = 700;
constexpr int kHeight = 460;

// Buttons and areas, in window client coordinates.
const QRect kLogo(10, 10, 168, 38);
const QRect kFindSongs(372, 13, 138, 32);
const QRect kMenu(518, 13, 96, 32);
const QRect kMinimise(624, 13, 32, 32);  // the window buttons
const QRect kClose(658, 13, 32, 32);

const QRect kRecordCard(12, 66, 676, 74);
const QRect kRecordMode(24, 78, 136, 50);
const QRect kDisplay(172, 78, 250, 50);
const QRect kIndicator(176, 82, 108, 42);
const QRect kRecordTime(292, 89, 126, 30);  // text 1802
const QRect kMeter(294, 120, 120, 4);       // the level bar, under the time
const QRect kNewTrack(434, 78, 118, 50);
const QRect kAutoSplit(564, 78, 112, 50);

const QRect kHideShort(12, 152, 156, 36);
const QRect kRename(360, 152, 104, 36);
const QRect kDelete(472, 152, 104, 36);
const QRect kSave(584, 152, 104, 36);

const QRect kListCard(12, 198, 676, 172);
const QRect kList(13, 199, 674, 170);  // text 1800: where the track list window sits

const int kBarTop = 382;
const QRect kPrevious(14, 388, 56, 64);
const QRect kPlay(74, 384, 60, 68);
const QRect kNext(138, 388, 56, 64);

constexpr int kKnob = 18;
const QRect kPositionTrack(212, 400, 256, kKnob);  // slider 1701
const QRect kPlayTime(212, 424, 170, 18);          // text 1801: "position / length"
const QRect kVolumeTrack(528, 400, 156, kKnob);    // slider 1700
const QRect kSpare(212, 442, 256, 14);             // text 1803: the name of what plays

// ---------------------------------------------------------------- colours --
const QColor kBar(0x0F, 0x11, 0x15);
const QColor kBarLine(0x22, 0x26, 0x2E);
const QColor kBodyTop(0x1A, 0x1D, 0x24);
const QColor kBodyBottom(0x15, 0x18, 0x1D);
const QColor kCard(0x1F, 0x23, 0x2B);
const QColor kCardLine(0x2B, 0x30, 0x3A);
const QColor kButton(0x29, 0x2E, 0x38);
const QColor kButtonLine(0x38, 0x3E, 0x4A);
const QColor kButtonHover(0x33, 0x3A, 0x47);
const QColor kText(0xE8, 0xEB, 0xF0);
const QColor kTextSoft(0xA7, 0xAF, 0xBD);
const QColor kTextMuted(0x5E, 0x66, 0x75);
const QColor kBlue(0x4C, 0x8D, 0xFF);
const QColor kBlueDeep(0x2F, 0x6B, 0xE0);
const QColor kRed(0xFF, 0x4D, 0x5E);
const QColor kDisplayBack(0x0B, 0x0D, 0x11);
const QColor kGroove(0x2C, 0x32, 0x3D);
const QColor kListText(0xE6, 0xE9, 0xEF);
const QColor kListBack(0x1B, 0x1F, 0x26);
const QColor kTimeText(0xF2, 0xF4, 0xF7);
const QColor kPlayTimeText(0xAE, 0xB6, 0xC4);

// ---------------------------------------------------------------- state --
enum class Hover {
    None,
    Logo,
    FindSongs,
    Menu,
    RecordMode,
    NewTrack,
    AutoSplit,
    HideShort,
    Rename,
    Delete,
    Save,
    Previous,
    Play,
    Next,
    PositionKnob,
    VolumeKnob,
    Minimise,
    Close
};

struct State {
    bool recordOn = false;
    bool autoSplitOn = false;
    bool hideShortOn = false;
    bool playing = false;  // the play button shows pause
    bool newTrackActive = false;
    int indicatorFrame = 0;  // 0 idle, 1..4 recording, kPlaybackFace a track plays
    double meterFill = 0;    // how far the level bar is lit, 0..1
    bool deleteDisabled = false;
    bool saveDisabled = false;
    bool instructions = false;
    Hover hover = Hover::None;
    int positionKnobX = -1;  // knob centres; -1 = no knob
    int volumeKnobX = -1;
};

QString gFamily = "DejaVu Sans";

QFont font(int pixels, bool bold = false, double spacing = 0) {
    QFont f(gFamily);
    f.setPixelSize(pixels);
    f.setBold(bold);
    f.setHintingPreference(QFont::PreferFullHinting);
    if (spacing != 0) f.setLetterSpacing(QFont::AbsoluteSpacing, spacing);
    return f;
}

void roundRect(QPainter& p, const QRectF& r, double radius, const QColor& fill, const QColor& line) {
    p.setPen(line.alpha() ? QPen(line, 1) : Qt::NoPen);
    p.setBrush(fill);
    p.drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
}

void text(QPainter& p, const QRectF& r, const QString& s, const QFont& f, const QColor& c,
          int align = Qt::AlignCenter) {
    p.setFont(f);
    p.setPen(c);
    p.drawText(r, align, s);
}

// A button face: rounded rectangle, lighter and outlined in blue while hovered.
void buttonFace(QPainter& p, const QRect& r, bool hovered, bool disabled = false) {
    QColor fill = disabled ? QColor(0x22, 0x26, 0x2E) : hovered ? kButtonHover : kButton;
    QColor line = disabled ? QColor(0x2B, 0x30, 0x3A) : hovered ? kBlue : kButtonLine;
    roundRect(p, r, 8, fill, line);
}

// ---------------------------------------------------------------- icons --
// Icons are drawn in a 20x20 box at (x, y) with round pens.
QPen iconPen(const QColor& c, double w = 1.8) {
    QPen pen(c, w);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    return pen;
}

void iconSearch(QPainter& p, double x, double y, const QColor& c) {
    p.setPen(iconPen(c, 2));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(x + 8.5, y + 8.5), 5.5, 5.5);
    p.drawLine(QPointF(x + 12.8, y + 12.8), QPointF(x + 17, y + 17));
}

void iconMenu(QPainter& p, double x, double y, const QColor& c) {
    p.setPen(iconPen(c, 2));
    for (double dy : {5.0, 10.0, 15.0}) p.drawLine(QPointF(x + 3, y + dy), QPointF(x + 17, y + dy));
}

void iconScissors(QPainter& p, double x, double y, const QColor& c) {
    p.setPen(iconPen(c, 1.8));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(x + 5, y + 15), 2.8, 2.8);
    p.drawEllipse(QPointF(x + 15, y + 15), 2.8, 2.8);
    p.drawLine(QPointF(x + 6.8, y + 12.8), QPointF(x + 15, y + 2));
    p.drawLine(QPointF(x + 13.2, y + 12.8), QPointF(x + 5, y + 2));
}

// The sound wave of the logo mark and of the application icon.
constexpr double kWaveHeights[] = {4, 10, 16, 8, 12, 5};
constexpr double kWaveStep = 3.2;

void iconWave(QPainter& p, double x, double y, const QColor& c, double scale = 1.0) {
    p.setPen(iconPen(c, 2.0 * scale));
    for (int i = 0; i < 6; ++i) {
        const double cx = x + (2 + i * kWaveStep) * scale;
        const double h = kWaveHeights[i] * scale / 2;
        p.drawLine(QPointF(cx, y + 10 * scale - h), QPointF(cx, y + 10 * scale + h));
    }
}

void iconFilter(QPainter& p, double x, double y, const QColor& c) {
    p.setPen(iconPen(c, 1.8));
    p.setBrush(Qt::NoBrush);
    QPainterPath path;
    path.moveTo(x + 3, y + 4);
    path.lineTo(x + 17, y + 4);
    path.lineTo(x + 11.5, y + 10.5);
    path.lineTo(x + 11.5, y + 16);
    path.lineTo(x + 8.5, y + 17.5);
    path.lineTo(x + 8.5, y + 10.5);
    path.closeSubpath();
    p.drawPath(path);
}

void iconPencil(QPainter& p, double x, double y, const QColor& c) {
    p.setPen(iconPen(c, 1.8));
    p.setBrush(Qt::NoBrush);
    QPainterPath path;
    path.moveTo(x + 4, y + 16);
    path.lineTo(x + 4.8, y + 12.2);
    path.lineTo(x + 13.5, y + 3.5);
    path.lineTo(x + 16.5, y + 6.5);
    path.lineTo(x + 7.8, y + 15.2);
    path.closeSubpath();
    p.drawPath(path);
    p.drawLine(QPointF(x + 11.5, y + 5.5), QPointF(x + 14.5, y + 8.5));
}

void iconTrash(QPainter& p, double x, double y, const QColor& c) {
    p.setPen(iconPen(c, 1.8));
    p.setBrush(Qt::NoBrush);
    p.drawLine(QPointF(x + 3.5, y + 5.5), QPointF(x + 16.5, y + 5.5));
    p.drawLine(QPointF(x + 8, y + 5.5), QPointF(x + 8.5, y + 3));
    p.drawLine(QPointF(x + 8.5, y + 3), QPointF(x + 11.5, y + 3));
    p.drawLine(QPointF(x + 11.5, y + 3), QPointF(x + 12, y + 5.5));
    QPainterPath body;
    body.moveTo(x + 5, y + 7.5);
    body.lineTo(x + 6, y + 17);
    body.lineTo(x + 14, y + 17);
    body.lineTo(x + 15, y + 7.5);
    p.drawPath(body);
    p.drawLine(QPointF(x + 8.5, y + 9.5), QPointF(x + 8.7, y + 14.5));
    p.drawLine(QPointF(x + 11.5, y + 9.5), QPointF(x + 11.3, y + 14.5));
}

void iconSave(QPainter& p, double x, double y, const QColor& c) {
    p.setPen(iconPen(c, 2));
    p.setBrush(Qt::NoBrush);
    p.drawLine(QPointF(x + 10, y + 3), QPointF(x + 10, y + 12.5));
    p.drawLine(QPointF(x + 6, y + 8.5), QPointF(x + 10, y + 12.5));
    p.drawLine(QPointF(x + 14, y + 8.5), QPointF(x + 10, y + 12.5));
    p.drawLine(QPointF(x + 4, y + 14), QPointF(x + 4, y + 17));
    p.drawLine(QPointF(x + 4, y + 17), QPointF(x + 16, y + 17));
    p.drawLine(QPointF(x + 16, y + 17), QPointF(x + 16, y + 14));
}

void iconSpeaker(QPainter& p, double x, double y, const QColor& c) {
    p.setPen(iconPen(c, 1.6));
    p.setBrush(c);
    QPainterPath body;
    body.moveTo(x + 2.5, y + 7.5);
    body.lineTo(x + 6, y + 7.5);
    body.lineTo(x + 10.5, y + 3.5);
    body.lineTo(x + 10.5, y + 16.5);
    body.lineTo(x + 6, y + 12.5);
    body.lineTo(x + 2.5, y + 12.5);
    body.closeSubpath();
    p.drawPath(body);
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(x + 8, y + 6, 6, 8), -50 * 16, 100 * 16);
    p.drawArc(QRectF(x + 8, y + 3, 10, 14), -50 * 16, 100 * 16);
}

// Transport glyphs centred on (cx, cy).
void glyphPlay(QPainter& p, double cx, double cy, double s, const QColor& c) {
    QPainterPath t;
    t.moveTo(cx - s * 0.38, cy - s * 0.55);
    t.lineTo(cx + s * 0.62, cy);
    t.lineTo(cx - s * 0.38, cy + s * 0.55);
    t.closeSubpath();
    p.setPen(QPen(c, 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(c);
    p.drawPath(t);
}

void glyphPause(QPainter& p, double cx, double cy, double s, const QColor& c) {
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawRoundedRect(QRectF(cx - s * 0.45, cy - s * 0.55, s * 0.32, s * 1.1), 1.5, 1.5);
    p.drawRoundedRect(QRectF(cx + s * 0.13, cy - s * 0.55, s * 0.32, s * 1.1), 1.5, 1.5);
}

void glyphSkip(QPainter& p, double cx, double cy, double s, const QColor& c, bool forward) {
    const double d = forward ? 1 : -1;
    QPainterPath t;
    t.moveTo(cx - d * s * 0.45, cy - s * 0.5);
    t.lineTo(cx + d * s * 0.35, cy);
    t.lineTo(cx - d * s * 0.45, cy + s * 0.5);
    t.closeSubpath();
    p.setPen(QPen(c, 1.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(c);
    p.drawPath(t);
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(QRectF(forward ? cx + s * 0.38 : cx - s * 0.38 - s * 0.16, cy - s * 0.5, s * 0.16, s),
                      1, 1);
}

// ---------------------------------------------------------------- pieces --
// An on/off switch, 30x16, at (x, y).
void toggleSwitch(QPainter& p, double x, double y, bool on, const QColor& onColour) {
    roundRect(p, QRectF(x, y, 30, 16), 8, on ? onColour : QColor(0x3A, 0x40, 0x4C), QColor(0, 0, 0, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(on ? QColor(Qt::white) : QColor(0xB8, 0xBF, 0xCB));
    p.drawEllipse(QPointF(on ? x + 22 : x + 8, y + 8), 6, 6);
}

// A toggle button of two rows: icon and label, then switch and state word.
void toggleTall(QPainter& p, const QRect& r, const QString& label, bool on, bool hovered,
                const QColor& onColour, void (*icon)(QPainter&, double, double, const QColor&)) {
    buttonFace(p, r, hovered);
    if (on) {
        // A thin coloured edge on the left marks an active toggle at a glance.
        p.setPen(Qt::NoPen);
        p.setBrush(onColour);
        p.drawRoundedRect(QRectF(r.x() + 1, r.y() + 10, 3, r.height() - 20), 1.5, 1.5);
    }
    icon(p, r.x() + 10, r.y() + 5, on ? onColour : kTextSoft);
    text(p, QRectF(r.x() + 34, r.y() + 4, r.width() - 38, 22), label, font(13, true), kText,
         Qt::AlignLeft | Qt::AlignVCenter);
    toggleSwitch(p, r.x() + 12, r.y() + 28, on, onColour);
    text(p, QRectF(r.x() + 48, r.y() + 26, r.width() - 52, 20), on ? "ON" : "OFF", font(11, true, 0.8),
         on ? onColour.lighter(115) : kTextMuted, Qt::AlignLeft | Qt::AlignVCenter);
}

void iconRecordDot(QPainter& p, double x, double y, const QColor& c) {
    p.setPen(QPen(c, 2));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(x + 10, y + 10), 7.5, 7.5);
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawEllipse(QPointF(x + 10, y + 10), 4.2, 4.2);
}

void iconSplit(QPainter& p, double x, double y, const QColor& c) { iconWave(p, x, y, c); }

// A one-row button: icon then label, centred.
void labelButton(QPainter& p, const QRect& r, const QString& label, bool hovered,
                 void (*icon)(QPainter&, double, double, const QColor&), bool disabled = false,
                 bool primary = false, bool danger = false) {
    if (primary && !disabled) {
        const QColor fill = hovered ? QColor(0x62, 0x9C, 0xFF) : kBlue;
        roundRect(p, r, 8, fill, hovered ? QColor(0xA9, 0xC8, 0xFF) : kBlueDeep);
    } else {
        buttonFace(p, r, hovered, disabled);
        if (danger && hovered) roundRect(p, r, 8, QColor(0x3A, 0x26, 0x2B), kRed);
    }
    const QColor ink = disabled              ? kTextMuted
                       : primary             ? QColor(Qt::white)
                       : (danger && hovered) ? QColor(0xFF, 0x9A, 0xA4)
                                             : kText;
    const QFont f = font(13, true);
    const int textWidth = QFontMetrics(f).horizontalAdvance(label);
    const double total = 20 + 7 + textWidth;
    const double x0 = r.x() + (r.width() - total) / 2.0;
    icon(p, std::round(x0), r.y() + (r.height() - 20) / 2.0, ink);
    text(p, QRectF(std::round(x0) + 27, r.y(), textWidth + 4, r.height()), label, f, ink,
         Qt::AlignLeft | Qt::AlignVCenter);
}

// A window button: a bare glyph on the bar, a face under it while hovered
// (red for close, as desktops draw it).
void windowButton(QPainter& p, const QRect& r, bool close, bool hovered) {
    if (hovered) {
        if (close)
            roundRect(p, r, 8, QColor(0xC4, 0x2B, 0x3C), QColor(0xE0, 0x45, 0x56));
        else
            buttonFace(p, r, true);
    }
    const QColor ink = hovered ? kText : kTextSoft;
    p.setPen(iconPen(ink, 2));
    const QPointF c = QRectF(r).center();
    if (close) {
        p.drawLine(c + QPointF(-5, -5), c + QPointF(5, 5));
        p.drawLine(c + QPointF(-5, 5), c + QPointF(5, -5));
    } else {
        p.drawLine(c + QPointF(-6, 5), c + QPointF(6, 5));
    }
}

// The logo mark: a rounded square in a warm gradient with a white sound wave.
// The application icon is the same mark (see the icon output below).
constexpr double kMarkSize = 30;
constexpr double kMarkRadius = 8;
constexpr double kMarkWaveX = 4.5;  // the wave's 20x20 box inside the mark
constexpr double kMarkWaveY = 5;
const QColor kMarkFrom(0xFF, 0x6A, 0x5C);
const QColor kMarkTo(0xE0, 0x2E, 0x6E);

// The mark's rounded square with its top-left corner at `at`.
QRectF markSquare(QPainter& p, const QPointF& at) {
    const QRectF mark(at, QSizeF(kMarkSize, kMarkSize));
    QLinearGradient g(mark.topLeft(), mark.bottomRight());
    g.setColorAt(0, kMarkFrom);
    g.setColorAt(1, kMarkTo);
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawRoundedRect(mark, kMarkRadius, kMarkRadius);
    return mark;
}

void logo(QPainter& p, const QRect& r, bool hovered) {
    if (hovered) roundRect(p, r, 9, QColor(0x1C, 0x20, 0x28), QColor(0x34, 0x3A, 0x46));
    const QRectF mark = markSquare(p, QPointF(r.x() + 5, r.y() + 4));
    iconWave(p, mark.x() + kMarkWaveX, mark.y() + kMarkWaveY, Qt::white, 1.0);
    text(p, QRectF(r.x() + 44, r.y() + 2, 120, 22), "Tobrel", font(20, true), kText,
         Qt::AlignLeft | Qt::AlignVCenter);
    text(p, QRectF(r.x() + 45, r.y() + 23, 120, 12), "DESKTOP RECORDER", font(8, true, 1.2),
         hovered ? kBlue : kTextMuted, Qt::AlignLeft | Qt::AlignVCenter);
}

constexpr int kPlaybackFace = -1;

// The recording indicator: idle, one of four animation frames, or the face
// shown while a track plays.
void indicator(QPainter& p, const QRect& r, int frame) {
    p.setPen(Qt::NoPen);
    p.setBrush(kDisplayBack);
    p.drawRect(r);
    const QPointF dot(r.x() + 16, r.y() + r.height() / 2.0);
    if (frame == kPlaybackFace) {
        p.setBrush(kBlue);
        p.drawEllipse(dot, 7, 7);
        QPainterPath triangle;
        triangle.moveTo(dot.x() - 2.2, dot.y() - 3.8);
        triangle.lineTo(dot.x() + 4.0, dot.y());
        triangle.lineTo(dot.x() - 2.2, dot.y() + 3.8);
        triangle.closeSubpath();
        p.setBrush(Qt::white);
        p.drawPath(triangle);
        text(p, QRectF(r.x() + 30, r.y(), 74, r.height()), "PLAY", font(13, true, 1.5), kBlue,
             Qt::AlignLeft | Qt::AlignVCenter);
        return;
    }
    if (frame == 0) {
        p.setBrush(QColor(0x3A, 0x40, 0x4C));
        p.drawEllipse(dot, 6, 6);
        text(p, QRectF(r.x() + 30, r.y(), 74, r.height()), "READY", font(12, true, 1.5), kTextMuted,
             Qt::AlignLeft | Qt::AlignVCenter);
        return;
    }
    // A ring that grows and fades around the dot, and level bars that move.
    const double ring[] = {0, 8.5, 11.0, 13.5, 0};
    const int ringAlpha[] = {0, 170, 110, 55, 0};
    if (ring[frame] > 0) {
        p.setPen(QPen(QColor(0xFF, 0x4D, 0x5E, ringAlpha[frame]), 2));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(dot, ring[frame], ring[frame]);
    }
    QRadialGradient glow(dot, 10);
    glow.setColorAt(0, QColor(0xFF, 0x4D, 0x5E, frame % 2 ? 120 : 70));
    glow.setColorAt(1, QColor(0xFF, 0x4D, 0x5E, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawEllipse(dot, 10, 10);
    p.setBrush(kRed);
    p.drawEllipse(dot, 6, 6);
    text(p, QRectF(r.x() + 30, r.y(), 40, r.height()), "REC", font(13, true, 1.5), kRed,
         Qt::AlignLeft | Qt::AlignVCenter);
    const int levels[4][4] = {{6, 12, 9, 4}, {10, 7, 14, 8}, {14, 10, 6, 12}, {8, 15, 11, 6}};
    for (int i = 0; i < 4; ++i) {
        const double h = levels[frame - 1][i];
        p.setBrush(QColor(0xFF, 0x8A, 0x95));
        p.drawRoundedRect(QRectF(r.x() + 74 + i * 7, r.y() + r.height() / 2.0 + 8 - h, 4, h), 1.5, 1.5);
    }
}

// The circle of a transport button of this diameter in its area.
QRect transportCircle(const QRect& r, int diameter) {
    return QRect(r.x() + r.width() / 2 - diameter / 2, r.y() + 4, diameter, diameter);
}

void transportButton(QPainter& p, const QRect& r, int diameter, const QString& caption, bool hovered,
                     bool primary, int glyph /* 0 prev, 1 play, 2 pause, 3 next */) {
    const QPointF c(r.x() + r.width() / 2.0, r.y() + 4 + diameter / 2.0);
    if (hovered) roundRect(p, r, 10, QColor(0x1A, 0x1E, 0x26), QColor(0x2E, 0x34, 0x40));
    p.setPen(primary ? QPen(hovered ? QColor(0xA9, 0xC8, 0xFF) : kBlueDeep, 1)
                     : QPen(hovered ? kBlue : kButtonLine, 1));
    p.setBrush(primary ? (hovered ? QColor(0x62, 0x9C, 0xFF) : kBlue) : (hovered ? kButtonHover : kButton));
    p.drawEllipse(c, diameter / 2.0 - 0.5, diameter / 2.0 - 0.5);
    const QColor ink = primary ? QColor(Qt::white) : kText;
    const double s = diameter * 0.36;
    if (glyph == 0) glyphSkip(p, c.x(), c.y(), s, ink, false);
    if (glyph == 1) glyphPlay(p, c.x(), c.y(), s, ink);
    if (glyph == 2) glyphPause(p, c.x(), c.y(), s, ink);
    if (glyph == 3) glyphSkip(p, c.x(), c.y(), s, ink, true);
    text(p, QRectF(r.x(), r.bottom() - 15, r.width(), 14), caption, font(10, true),
         hovered ? kText : kTextSoft, Qt::AlignHCenter | Qt::AlignVCenter);
}

// The level bar: a slim groove, lit from the left in green, then amber, then
// red towards full scale.
void meter(QPainter& p, const QRect& r, double fill) {
    p.setPen(Qt::NoPen);
    p.setBrush(kGroove);
    p.drawRoundedRect(QRectF(r), r.height() / 2.0, r.height() / 2.0);
    if (fill <= 0) return;
    QLinearGradient lit(r.left(), 0, r.right(), 0);
    lit.setColorAt(0, QColor(0x3D, 0xD6, 0x8C));
    lit.setColorAt(0.7, QColor(0x3D, 0xD6, 0x8C));
    lit.setColorAt(0.85, QColor(0xFF, 0xC1, 0x4D));
    lit.setColorAt(1, kRed);
    p.setBrush(lit);
    p.setClipRect(QRectF(r.x(), r.y(), r.width() * fill, r.height()));
    p.drawRoundedRect(QRectF(r), r.height() / 2.0, r.height() / 2.0);
    p.setClipping(false);
}

void groove(QPainter& p, const QRect& track) {
    const double cy = track.y() + track.height() / 2.0;
    p.setPen(Qt::NoPen);
    p.setBrush(kGroove);
    p.drawRoundedRect(QRectF(track.x() - 4, cy - 3, track.width() + 8, 6), 3, 3);
}

void knob(QPainter& p, double cx, double cy, bool hovered) {
    p.setPen(Qt::NoPen);
    if (hovered) {
        p.setBrush(QColor(0x4C, 0x8D, 0xFF, 90));
        p.drawEllipse(QPointF(cx, cy), 8.8, 8.8);
    }
    p.setBrush(QColor(0, 0, 0, 90));
    p.drawEllipse(QPointF(cx, cy + 1), 6.6, 6.6);
    p.setBrush(hovered ? QColor(Qt::white) : QColor(0xE3, 0xE7, 0xEE));
    p.drawEllipse(QPointF(cx, cy), 6.2, 6.2);
    p.setBrush(hovered ? kBlue : QColor(0x8A, 0x93, 0xA3));
    p.drawEllipse(QPointF(cx, cy), 2.2, 2.2);
}

void instructions(QPainter& p, const QRect& r) {
    p.setPen(Qt::NoPen);
    p.setBrush(kListBack);
    p.drawRect(r);
    const QPointF c(r.center().x() + 0.5, r.y() + 46);
    QRadialGradient halo(c, 30);
    halo.setColorAt(0, QColor(0xFF, 0x4D, 0x5E, 60));
    halo.setColorAt(1, QColor(0xFF, 0x4D, 0x5E, 0));
    p.setBrush(halo);
    p.drawEllipse(c, 30, 30);
    p.setBrush(QColor(0x2A, 0x1D, 0x24));
    p.setPen(QPen(QColor(0xFF, 0x4D, 0x5E), 1.5));
    p.drawEllipse(c, 19, 19);
    iconWave(p, c.x() - 10.5, c.y() - 11, QColor(0xFF, 0x8A, 0x95), 1.1);
    text(p, QRectF(r.x(), r.y() + 72, r.width(), 24), "No recordings yet", font(16, true), kText);
    text(p, QRectF(r.x(), r.y() + 98, r.width(), 18), "Play music in any app while Record is on.", font(12),
         kTextSoft);
    text(p, QRectF(r.x(), r.y() + 116, r.width(), 18),
         "Tobrel captures it and splits it into tracks at the silences.", font(12), kTextSoft);
    text(p, QRectF(r.x(), r.y() + 140, r.width(), 18),
         "Tip: \u201cFind songs\u201d names tracks as they play.", font(11), kTextMuted);
}

// ---------------------------------------------------------------- scene --
QImage scene(const State& st) {
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    // Body, header and transport bar.
    QLinearGradient body(0, 0, 0, kHeight);
    body.setColorAt(0, kBodyTop);
    body.setColorAt(1, kBodyBottom);
    p.fillRect(image.rect(), body);
    p.fillRect(QRect(0, 0, kWidth, 58), kBar);
    p.fillRect(QRect(0, 58, kWidth, 1), kBarLine);
    p.fillRect(QRect(0, kBarTop, kWidth, kHeight - kBarTop), kBar);
    p.fillRect(QRect(0, kBarTop, kWidth, 1), kBarLine);

    logo(p, kLogo, st.hover == Hover::Logo);
    labelButton(p, kFindSongs, "Find songs", st.hover == Hover::FindSongs, iconSearch);
    labelButton(p, kMenu, "Menu", st.hover == Hover::Menu, iconMenu);
    windowButton(p, kMinimise, false, st.hover == Hover::Minimise);
    windowButton(p, kClose, true, st.hover == Hover::Close);

    // Recording card.
    roundRect(p, kRecordCard, 12, kCard, kCardLine);
    toggleTall(p, kRecordMode, "Record", st.recordOn, st.hover == Hover::RecordMode, kRed, iconRecordDot);
    roundRect(p, kDisplay, 8, kDisplayBack, QColor(0x26, 0x2B, 0x34));
    indicator(p, kIndicator, st.indicatorFrame);
    meter(p, kMeter, st.meterFill);
    if (st.newTrackActive) {
        labelButton(p, kNewTrack, "New track", st.hover == Hover::NewTrack, iconScissors);
    } else {
        labelButton(p, kNewTrack, "New track", false, iconScissors, true);
    }
    toggleTall(p, kAutoSplit, "Auto-split", st.autoSplitOn, st.hover == Hover::AutoSplit, kBlue, iconSplit);

    // Track toolbar.
    {
        const QRect& r = kHideShort;
        const bool hovered = st.hover == Hover::HideShort;
        buttonFace(p, r, hovered);
        iconFilter(p, r.x() + 9, r.y() + 8, st.hideShortOn ? kBlue : kTextSoft);
        text(p, QRectF(r.x() + 34, r.y(), 80, r.height()), "Hide short", font(13, true), kText,
             Qt::AlignLeft | Qt::AlignVCenter);
        toggleSwitch(p, r.right() - 39, r.y() + 10, st.hideShortOn, kBlue);
    }
    labelButton(p, kRename, "Rename", st.hover == Hover::Rename, iconPencil);
    labelButton(p, kDelete, "Delete", st.hover == Hover::Delete, iconTrash, st.deleteDisabled, false, true);
    labelButton(p, kSave, "Save", st.hover == Hover::Save, iconSave, st.saveDisabled, true);

    // Track list frame; the list window covers its inside.
    roundRect(p, kListCard, 6, kListBack, kCardLine);
    if (st.instructions) instructions(p, kList);

    // Transport.
    transportButton(p, kPrevious, 38, "Previous", st.hover == Hover::Previous, false, 0);
    transportButton(p, kPlay, 46, st.playing ? "Pause" : "Play", st.hover == Hover::Play, true,
                    st.playing ? 2 : 1);
    transportButton(p, kNext, 38, "Next", st.hover == Hover::Next, false, 3);
    groove(p, kPositionTrack);
    text(p, QRectF(kPositionTrack.right() - 80, 424, 80, 18), "Position", font(10, true, 0.5), kTextMuted,
         Qt::AlignRight | Qt::AlignVCenter);
    iconSpeaker(p, kVolumeTrack.x() - 28, kVolumeTrack.y() - 1, kTextSoft);
    groove(p, kVolumeTrack);
    text(p, QRectF(kVolumeTrack.right() - 80, 424, 80, 18), "Volume", font(10, true, 0.5), kTextMuted,
         Qt::AlignRight | Qt::AlignVCenter);
    const double knobY = kPositionTrack.y() + kKnob / 2;
    if (st.positionKnobX >= 0) knob(p, st.positionKnobX, knobY, st.hover == Hover::PositionKnob);
    if (st.volumeKnobX >= 0) knob(p, st.volumeKnobX, knobY, st.hover == Hover::VolumeKnob);
    return image;
}

// ---------------------------------------------------------------- output --
std::string gFolder;
int gFailures = 0;

void save(const QImage& image, const std::string& name) {
    const std::string path = gFolder + "/" + name;
    if (!image.convertToFormat(QImage::Format_RGB888).save(QString::fromStdString(path), "BMP")) {
        std::fprintf(stderr, "skingen: cannot write %s\n", path.c_str());
        ++gFailures;
    }
}

void crop(const State& st, const QRect& r, const std::string& name) { save(scene(st).copy(r), name); }

State with(std::initializer_list<void (*)(State&)> changes) {
    State s;
    for (auto change : changes) change(s);
    return s;
}

// Definition file lines.
std::vector<std::string> gLines;
void line(int v) { gLines.push_back(std::to_string(v)); }
void point(const QRect& r) {
    line(r.x());
    line(r.y());
}
void rect(const QRect& r) {  // exclusive right and bottom (tracks and texts)
    line(r.x());
    line(r.y());
    line(r.x() + r.width());
    line(r.y() + r.height());
}
void hotspot(const QRect& r) {  // inclusive bounds
    line(r.x());
    line(r.y());
    line(r.right());
    line(r.bottom());
}
void colourRgb(const QColor& c) {  // list colours: red, green, blue
    gLines.push_back(std::to_string(c.red()) + "," + std::to_string(c.green()) + "," +
                     std::to_string(c.blue()));
}
void colourText(const QColor& c) {  // text colours are given as red, blue, green
    gLines.push_back(std::to_string(c.red()) + "," + std::to_string(c.blue()) + "," +
                     std::to_string(c.green()));
}

void writeDefinition() {
    gLines = {"Tobrel default skin", "Generated by tools/skingen; change the generator, not this file.",
              "Version 1", "0"};
    point(kMenu);          // menu hover
    point(kLogo);          // logo hover
    point(kRecordMode);    // record mode off/on and hovers
    point(kAutoSplit);     // auto segment off/on and hovers
    point(kIndicator);     // indicator idle and frames
    point(kHideShort);     // hide short off/on and hovers
    point(kDelete);        // delete hover, delete disabled
    point(kSave);          // save hover, save disabled
    point(kRename);        // rename hover
    point(kPrevious);      // previous hover
    point(kNext);          // next hover
    point(kFindSongs);     // find songs hover
    point(kPlay);          // pause, play and hovers
    point(kNewTrack);      // new track and hover
    point(kList);          // recording instructions
    rect(kVolumeTrack);    // slider 1700
    rect(kPositionTrack);  // slider 1701
    for (const QRect* r : {&kMenu, &kLogo, &kRecordMode, &kAutoSplit, &kHideShort, &kDelete, &kSave, &kRename,
                           &kPrevious, &kNext, &kPlay, &kNewTrack, &kFindSongs})
        hotspot(*r);
    rect(kList);
    colourRgb(kListText);
    colourRgb(kListBack);
    rect(kPlayTime);
    line(13);
    colourText(kPlayTimeText);
    rect(kRecordTime);
    line(22);
    colourText(kTimeText);
    rect(kSpare);
    line(12);
    colourText(kTextSoft);
    hotspot(kMinimise);  // after the last group older skins hold: the window buttons
    hotspot(kClose);
    rect(kMeter);  // the level bar
    // The buttons' shapes for the focus ring, hotspots in file order, then
    // the window buttons: round transport buttons, rounded faces elsewhere.
    struct Outline {
        QRect shape;
        int radius;
    };
    const Outline outlines[] = {{kMenu, 8},
                                {kLogo, 9},
                                {kRecordMode, 8},
                                {kAutoSplit, 8},
                                {kHideShort, 8},
                                {kDelete, 8},
                                {kSave, 8},
                                {kRename, 8},
                                {transportCircle(kPrevious, 38), 19},
                                {transportCircle(kNext, 38), 19},
                                {transportCircle(kPlay, 46), 23},
                                {kNewTrack, 8},
                                {kFindSongs, 8},
                                {kMinimise, 8},
                                {kClose, 8}};
    for (const Outline& o : outlines) {
        hotspot(o.shape);
        line(o.radius);
    }

    std::ofstream out(gFolder + "/skin_definition.txt", std::ios::binary);
    for (const auto& l : gLines) out << l << "\r\n";
    if (!out) {
        std::fprintf(stderr, "skingen: cannot write the definition file\n");
        ++gFailures;
    }
}

// ---------------------------------------------------------------- icon --
// The application icon is the logo mark with a margin of 2 all round, as PNG
// files at the sizes of the desktop's hicolor theme and as SVG for any other
// size. Both are drawn from the mark's numbers above.
constexpr double kIconMargin = 2;
constexpr double kIconCanvas = kMarkSize + 2 * kIconMargin;
constexpr int kIconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};
const char* const kIconName = "com.tobrel.Tobrel";

struct WaveBar {
    double x, top, bottom;
};

// The wave's bars in icon canvas units: the logo's wave, centred in the mark.
// Small icons keep its four middle bars at twice the spacing, so that the bars
// stay apart when a unit is less than a pixel.
std::vector<WaveBar> iconBars(bool small) {
    std::vector<WaveBar> bars;
    const double centre = kIconMargin + kMarkSize / 2;
    const double mid = kIconMargin + kMarkWaveY + 10;
    const int first = small ? 1 : 0, count = small ? 4 : 6;
    const double step = small ? 2 * kWaveStep : kWaveStep;
    for (int i = 0; i < count; ++i) {
        const double x = centre + (i - (count - 1) / 2.0) * step;
        const double h = kWaveHeights[first + i];
        bars.push_back({x, mid - h / 2, mid + h / 2});
    }
    return bars;
}

constexpr int kSmallIcon = 48;  // sizes below draw the small wave on whole pixels

QImage iconImage(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / kIconCanvas, size / kIconCanvas);
    markSquare(p, QPointF(kIconMargin, kIconMargin));
    if (size >= kSmallIcon) {
        p.setPen(iconPen(Qt::white, 2.0));
        for (const WaveBar& b : iconBars(false)) p.drawLine(QPointF(b.x, b.top), QPointF(b.x, b.bottom));
        return image;
    }
    // Whole-pixel bars at a whole-pixel spacing stay crisp and even.
    const double scale = size / kIconCanvas;
    const std::vector<WaveBar> bars = iconBars(true);
    const int width = std::max(1, static_cast<int>(std::lround(2 * scale)));
    const int step = static_cast<int>(std::lround((bars[1].x - bars[0].x) * scale));
    const int left = static_cast<int>(
        std::lround((kIconMargin + kMarkSize / 2) * scale - (step * (bars.size() - 1) + width) / 2.0));
    p.resetTransform();
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    for (size_t i = 0; i < bars.size(); ++i) {
        const int top = static_cast<int>(std::lround(bars[i].top * scale));
        const int bottom = static_cast<int>(std::lround(bars[i].bottom * scale));
        p.drawRect(QRect(left + static_cast<int>(i) * step, top, width, bottom - top));
    }
    return image;
}

std::string svgNumber(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", v);
    return text;
}

std::string iconSvg() {
    const std::string m = svgNumber(kIconMargin), far = svgNumber(kIconMargin + kMarkSize);
    std::string svg =
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" viewBox=\"0 0 " +
        svgNumber(kIconCanvas) + " " + svgNumber(kIconCanvas) + "\">\n";
    svg += "  <defs>\n    <linearGradient id=\"mark\" gradientUnits=\"userSpaceOnUse\" x1=\"" + m +
           "\" y1=\"" + m + "\" x2=\"" + far + "\" y2=\"" + far + "\">\n";
    svg += "      <stop offset=\"0\" stop-color=\"" + kMarkFrom.name().toStdString() + "\"/>\n";
    svg += "      <stop offset=\"1\" stop-color=\"" + kMarkTo.name().toStdString() + "\"/>\n";
    svg += "    </linearGradient>\n  </defs>\n";
    svg += "  <rect x=\"" + m + "\" y=\"" + m + "\" width=\"" + svgNumber(kMarkSize) + "\" height=\"" +
           svgNumber(kMarkSize) + "\" rx=\"" + svgNumber(kMarkRadius) + "\" fill=\"url(#mark)\"/>\n";
    svg += "  <g stroke=\"#ffffff\" stroke-width=\"2\" stroke-linecap=\"round\">\n";
    for (const WaveBar& b : iconBars(false))
        svg += "    <line x1=\"" + svgNumber(b.x) + "\" y1=\"" + svgNumber(b.top) + "\" x2=\"" +
               svgNumber(b.x) + "\" y2=\"" + svgNumber(b.bottom) + "\"/>\n";
    svg += "  </g>\n</svg>\n";
    return svg;
}

// Writes <folder>/hicolor/<size>x<size>/apps/<name>.png and
// <folder>/hicolor/scalable/apps/<name>.svg.
void writeIcons(const std::string& folder) {
    for (int size : kIconSizes) {
        const std::string dir =
            folder + "/hicolor/" + std::to_string(size) + "x" + std::to_string(size) + "/apps";
        const std::string path = dir + "/" + kIconName + ".png";
        if (!QDir().mkpath(QString::fromStdString(dir)) ||
            !iconImage(size).save(QString::fromStdString(path), "PNG")) {
            std::fprintf(stderr, "skingen: cannot write %s\n", path.c_str());
            ++gFailures;
        }
    }
    const std::string dir = folder + "/hicolor/scalable/apps";
    const std::string path = dir + "/" + kIconName + ".svg";
    std::ofstream out;
    if (QDir().mkpath(QString::fromStdString(dir))) out.open(path, std::ios::binary);
    out << iconSvg();
    if (!out) {
        std::fprintf(stderr, "skingen: cannot write %s\n", path.c_str());
        ++gFailures;
    }
}

}  // namespace

int main(int argc, char** argv) {
    const bool icons = argc == 3 && std::string(argv[1]) == "--icons";
    if (argc != 2 && !icons) {
        std::fprintf(stderr, "usage: skingen <output folder>\n       skingen --icons <output folder>\n");
        return 2;
    }
    QGuiApplication app(argc, argv);
    if (icons) {
        writeIcons(argv[2]);
        return gFailures == 0 ? 0 : 1;
    }
    gFolder = argv[1];
    for (const char* file : {"DejaVuSans.ttf", "DejaVuSans-Bold.ttf"}) {
        const int id = QFontDatabase::addApplicationFont(QString("/usr/share/fonts/truetype/dejavu/") + file);
        if (id < 0) {
            std::fprintf(stderr, "skingen: DejaVu fonts missing (install fonts-dejavu-core)\n");
            return 1;
        }
        gFamily = QFontDatabase::applicationFontFamilies(id).value(0, gFamily);
    }

    save(scene(State{}), "master.bmp");
    auto recordOn = [](State& s) { s.recordOn = true; };
    auto autoOn = [](State& s) { s.autoSplitOn = true; };
    auto shortOn = [](State& s) { s.hideShortOn = true; };
    auto playing = [](State& s) { s.playing = true; };
    auto active = [](State& s) { s.newTrackActive = true; };

    crop(State{}, kRecordMode, "auto_record_off.bmp");
    crop(with({recordOn}), kRecordMode, "auto_record_on.bmp");
    crop(State{}, kHideShort, "hide_short_files_off.bmp");
    crop(with({shortOn}), kHideShort, "hide_short_files_on.bmp");
    crop(with({active}), kNewTrack, "manual_segment.bmp");
    crop(State{}, kAutoSplit, "auto_segment_off.bmp");
    crop(with({autoOn}), kAutoSplit, "auto_segment_on.bmp");
    crop(State{}, kIndicator, "recording_progress_off.bmp");
    {
        State s;
        s.indicatorFrame = kPlaybackFace;
        crop(s, kIndicator, "playback_indicator.bmp");
        s = State{};
        s.meterFill = 1;
        crop(s, kMeter, "level_meter.bmp");
    }
    for (int f = 1; f <= 4; ++f) {
        State s;
        s.indicatorFrame = f;
        crop(s, kIndicator, "recording_progress_on_" + std::to_string(f) + ".bmp");
    }
    {
        State s;
        s.deleteDisabled = true;
        s.saveDisabled = true;
        crop(s, kDelete, "delete_disabled.bmp");
        crop(s, kSave, "save_disabled.bmp");
    }
    crop(with({playing}), kPlay, "pause.bmp");
    crop(State{}, kPlay, "play.bmp");
    {
        State s;
        s.instructions = true;
        crop(s, kList, "recording_instructions.bmp");
    }
    auto hovered = [](Hover h, std::initializer_list<void (*)(State&)> changes) {
        State s = with(changes);
        s.hover = h;
        return s;
    };
    crop(hovered(Hover::RecordMode, {}), kRecordMode, "auto_record_off_hover.bmp");
    crop(hovered(Hover::RecordMode, {recordOn}), kRecordMode, "auto_record_on_hover.bmp");
    crop(hovered(Hover::AutoSplit, {}), kAutoSplit, "auto_segment_off_hover.bmp");
    crop(hovered(Hover::AutoSplit, {autoOn}), kAutoSplit, "auto_segment_on_hover.bmp");
    crop(hovered(Hover::Delete, {}), kDelete, "delete_hover.bmp");
    crop(hovered(Hover::Rename, {}), kRename, "rename_hover.bmp");
    crop(hovered(Hover::HideShort, {}), kHideShort, "hide_short_files_off_hover.bmp");
    crop(hovered(Hover::HideShort, {shortOn}), kHideShort, "hide_short_files_on_hover.bmp");
    crop(hovered(Hover::NewTrack, {active}), kNewTrack, "manual_segment_hover.bmp");
    crop(hovered(Hover::Logo, {}), kLogo, "logo_hover.bmp");
    crop(hovered(Hover::Menu, {}), kMenu, "menu_hover.bmp");
    crop(hovered(Hover::Play, {playing}), kPlay, "pause_hover.bmp");
    crop(hovered(Hover::Play, {}), kPlay, "play_hover.bmp");
    crop(hovered(Hover::Save, {}), kSave, "save_hover.bmp");
    crop(hovered(Hover::Next, {}), kNext, "track_next_hover.bmp");
    crop(hovered(Hover::Previous, {}), kPrevious, "track_previous_hover.bmp");
    crop(hovered(Hover::FindSongs, {}), kFindSongs, "find_songs_hover.bmp");
    crop(hovered(Hover::Minimise, {}), kMinimise, "minimise_hover.bmp");
    crop(hovered(Hover::Close, {}), kClose, "close_hover.bmp");

    // Knobs: drawn mid-track on the groove and cut out at the knob's size.
    const int mid = kPositionTrack.x() + kPositionTrack.width() / 2;
    const QRect knobCell(mid - kKnob / 2, kPositionTrack.y(), kKnob, kKnob);
    const int midVolume = kVolumeTrack.x() + kVolumeTrack.width() / 2;
    const QRect volumeCell(midVolume - kKnob / 2, kVolumeTrack.y(), kKnob, kKnob);
    State knobs;
    knobs.positionKnobX = mid;
    knobs.volumeKnobX = midVolume;
    crop(knobs, knobCell, "play_position_slider.bmp");
    crop(knobs, volumeCell, "volume_slider.bmp");
    knobs.hover = Hover::PositionKnob;
    crop(knobs, knobCell, "play_position_slider_hover.bmp");
    knobs.hover = Hover::VolumeKnob;
    crop(knobs, volumeCell, "volume_slider_hover.bmp");

    writeDefinition();
    return gFailures == 0 ? 0 : 1;
}
