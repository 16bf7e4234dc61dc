// The skin-derived look (see recorderSkinLook.h). Every colour but the two the
// skin gives is a mix of them, so the look keeps its contrast whether the skin
// is dark or light; only the selection's accent comes from the list's own
// blue, which carries white text.
#include "recorderSkinLook.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QFrame>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QProxyStyle>
#include <QStyleOption>
#include <QWidget>
#include <algorithm>
#include <cmath>

#include "ptListView.h"
#include "recorderMainSkin.h"
#include "report.h"

static constexpr const char* kReportModule = "./recorderSkinLook";

namespace {

// `share` of the way from `from` to `to`.
QColor mix(const QColor& from, const QColor& to, double share) {
    auto part = [share](int a, int b) { return static_cast<int>(a + (b - a) * share + 0.5); };
    return QColor(part(from.red(), to.red()), part(from.green(), to.green()), part(from.blue(), to.blue()));
}

// A dialog's own edge: without a window manager's frame (or over the
// window's own dark surface) a dark box would melt into what lies behind it.
// A frame laid over the whole dialog draws it (a style sheet border would cost
// the children their palette); it lets the pointer through and follows the
// dialog's size.
constexpr const char* kDialogEdgeName = "dialogEdge";

class DialogEdge : public QFrame {
  public:
    DialogEdge(QWidget& dialog, const QColor& colour) : QFrame(&dialog) {
        setObjectName(kDialogEdgeName);
        setFrameStyle(QFrame::Box | QFrame::Plain);
        setAttribute(Qt::WA_TransparentForMouseEvents);
        QPalette p = palette();
        p.setColor(QPalette::WindowText, colour);
        setPalette(p);
        setGeometry(dialog.rect());
        dialog.installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Resize || event->type() == QEvent::Show) {
            setGeometry(static_cast<QWidget*>(watched)->rect());
            raise();
        }
        return false;
    }
};

// Relative luminance (sRGB), as contrast ratios are defined on it.
double luminance(const QColor& c) {
    auto channel = [](int v) {
        const double x = v / 255.0;
        return x <= 0.03928 ? x / 12.92 : std::pow((x + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(c.red()) + 0.7152 * channel(c.green()) + 0.0722 * channel(c.blue());
}

// Marks and rings stand at this contrast or more against what lies beside them.
constexpr double kAccentContrast = 3.2;

// `base` moved towards white on a dark surface (black on a light one) just as
// far as it takes to stand out from both `surface` and `field`.
QColor accentOver(const QColor& base, const QColor& surface, const QColor& field) {
    const QColor towards = luminance(surface) < 0.18 ? QColor(Qt::white) : QColor(Qt::black);
    for (int step = 0; step <= 20; ++step) {
        const QColor c = mix(base, towards, step / 20.0);
        if (recorderSkinLookContrast(c, surface) >= kAccentContrast &&
            recorderSkinLookContrast(c, field) >= kAccentContrast)
            return c;
    }
    return towards;
}

}  // namespace

double recorderSkinLookContrast(const QColor& a, const QColor& b) {
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor recorderSkinLookField(const RecorderSkinLook& look) { return mix(look.back, look.text, 0.12); }

int recorderSkinLookFromSkin(Skin* skin, RecorderSkinLook& look) {
    int left = 0, top = 0, right = 0, bottom = 0;
    RecorderSkinColour text, back;
    REPORT_CHECK(recorderMainSkinListLayout(skin, left, top, right, bottom, text, back));
    look = recorderSkinLookFromColours(QColor(text.red, text.green, text.blue),
                                       QColor(back.red, back.green, back.blue));
    return OKAY;
}

RecorderSkinLook recorderSkinLookFromColours(const QColor& text, const QColor& back) {
    RecorderSkinLook look;
    look.text = text;
    look.back = back;
    // The selection is the list's own selection blue, a shade darker: white
    // text on the list's blue reaches about 4:1, on this shade past 4.5:1.
    const ptListView list;
    look.selText = list.selTextFocus;
    look.selBack = list.selBackFocus.darker(120);
    // Without the focus the selection stays visible but steps back: the
    // accent sunk into the background, with the list's own text.
    look.selTextNoFocus = look.text;
    look.selBackNoFocus = mix(look.back, look.selBack, 0.35);
    look.muted = mix(look.text, look.back, 0.45);
    look.line = mix(look.back, look.text, 0.12);
    look.header = mix(look.back, look.text, 0.05);
    look.headerText = mix(look.text, look.back, 0.25);
    look.handle = mix(look.back, look.text, 0.22);
    look.handleHover = mix(look.back, look.text, 0.38);
    // The accent is the list's blue, brightened (on a dark skin) until a mark
    // or ring in it stands out; what is written on it is the better of the
    // skin's two colours.
    look.accent = accentOver(list.selBackFocus, look.back, recorderSkinLookField(look));
    look.onAccent =
        recorderSkinLookContrast(look.back, look.accent) >= recorderSkinLookContrast(look.text, look.accent)
            ? look.back
            : look.text;
    return look;
}

QPalette recorderSkinLookPalette(const RecorderSkinLook& look) {
    QPalette p;
    // The surface is the list's own background; fields, check boxes and radio
    // buttons are filled a step lighter so that their edges and marks stand
    // out from it, buttons a step lighter again.
    const QColor field = recorderSkinLookField(look);
    const QColor button = mix(look.back, look.text, 0.20);
    const QColor& muted = look.muted;
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        const bool disabled = group == QPalette::Disabled;
        p.setColor(group, QPalette::Window, look.back);
        p.setColor(group, QPalette::WindowText, disabled ? muted : look.text);
        p.setColor(group, QPalette::Base, disabled ? mix(look.back, look.text, 0.06) : field);
        p.setColor(group, QPalette::AlternateBase, mix(look.back, look.text, 0.08));
        p.setColor(group, QPalette::Text, disabled ? muted : look.text);
        p.setColor(group, QPalette::PlaceholderText, mix(look.text, field, 0.45));
        p.setColor(group, QPalette::Button, button);
        p.setColor(group, QPalette::ButtonText, disabled ? muted : look.text);
        p.setColor(group, QPalette::BrightText, Qt::white);
        p.setColor(group, QPalette::Light, mix(look.back, look.text, 0.35));
        p.setColor(group, QPalette::Midlight, mix(look.back, look.text, 0.28));
        p.setColor(group, QPalette::Mid, mix(look.back, look.text, 0.16));
        p.setColor(group, QPalette::Dark, look.back.darker(150));
        p.setColor(group, QPalette::Shadow, Qt::black);
        // The accent: selected text, check marks, focus rings (the list's
        // and the menus' selections have colours of their own).
        p.setColor(group, QPalette::Highlight, disabled ? button : look.accent);
        p.setColor(group, QPalette::HighlightedText, disabled ? muted : look.onAccent);
        p.setColor(group, QPalette::Link, look.selBack.lighter(160));
        p.setColor(group, QPalette::LinkVisited, look.selBack.lighter(140));
        p.setColor(group, QPalette::ToolTipBase, look.back);
        p.setColor(group, QPalette::ToolTipText, look.text);
    }
    return p;
}

QString recorderSkinLookListStyle(const RecorderSkinLook& look) {
    return QString(
               // The edge shows the focus the keyboard gave it in the accent
               // (the same width without it, so the rows stay where they are).
               "QTreeWidget { border: 2px solid %1; background-color: %1; }"
               "QTreeWidget[keyboardFocus=\"true\"]:focus { border-color: %7; }"
               "QScrollBar:vertical { background: %1; width: 8px; margin: 0; border: 0; }"
               "QScrollBar::handle:vertical { background: %2; min-height: 24px; border-radius: 3px;"
               " margin: 2px 2px 2px 0; }"
               "QScrollBar::handle:vertical:hover, QScrollBar::handle:vertical:pressed { background: %3; }"
               "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; border: 0; }"
               "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: none; }"
               "QHeaderView { background-color: %4; border: 0; }"
               "QHeaderView::section { background-color: %4; color: %5; padding: 5px 8px; border: 0;"
               " border-bottom: 1px solid %6; font-weight: bold; }")
        .arg(look.back.name(), look.handle.name(), look.handleHover.name(), look.header.name(),
             look.headerText.name(), look.line.name(), look.accent.name());
}

namespace {

// A menu in the skin's manner: roomy rows with rounded selections like the
// skin's buttons, a visible edge and separators (the desktop style draws both
// in colours that vanish on a dark surface).
QString menuStyle(const RecorderSkinLook& look) {
    return QString(
               "QMenu { background-color: %1; color: %2; border: 1px solid %3; padding: 4px; }"
               "QMenu::item { padding: 5px 28px 5px 14px; border-radius: 4px; background: transparent; }"
               "QMenu::item:selected { background-color: %4; color: %5; }"
               "QMenu::item:disabled { color: %6; }"
               "QMenu::separator { height: 1px; background: %7; margin: 4px 8px; }")
        .arg(look.back.name(), look.text.name(), look.handleHover.name(), look.selBack.name(),
             look.selText.name(), look.muted.name(), look.handle.name());
}

}  // namespace

void recorderSkinLookApply(const RecorderSkinLook& look, QWidget& widget) {
    widget.setPalette(recorderSkinLookPalette(look));
    if (qobject_cast<QMenu*>(&widget)) widget.setStyleSheet(menuStyle(look));
    if (widget.isWindow() && qobject_cast<QDialog*>(&widget) &&
        !widget.findChild<QFrame*>(kDialogEdgeName, Qt::FindDirectChildrenOnly))
        new DialogEdge(widget, look.handleHover);
    for (QAbstractButton* button : widget.findChildren<QAbstractButton*>()) button->setIcon(QIcon());
}

namespace {

// The desktop's style, but for the marks of check boxes and radio buttons and
// the focus frame: the desktop's own marks are a grey on grey on a dark
// palette. These are drawn from the palette: the edge in the text colour, a
// checked state filled in the accent (Highlight), the focus as a ring in it.
class SkinStyle : public QProxyStyle {
  public:
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override {
        switch (element) {
            case PE_IndicatorRadioButton:
                radio(*option, *painter);
                return;
            case PE_IndicatorCheckBox:
                check(*option, *painter);
                return;
            case PE_FrameFocusRect:
                focus(*option, *painter);
                return;
            default:
                QProxyStyle::drawPrimitive(element, option, painter, widget);
        }
    }

  private:
    struct Colours {
        QColor field, edge, accent, onAccent;
    };
    static Colours coloursOf(const QStyleOption& option) {
        const QPalette& p = option.palette;
        const bool pressed = (option.state & State_Sunken) != 0;
        Colours c;
        c.field =
            pressed ? mix(p.color(QPalette::Base), p.color(QPalette::Text), 0.15) : p.color(QPalette::Base);
        c.edge = mix(p.color(QPalette::Text), p.color(QPalette::Base), 0.35);
        c.accent = p.color(QPalette::Highlight);
        c.onAccent = p.color(QPalette::HighlightedText);
        return c;
    }
    // The largest square of the indicator's rectangle, on pixel centres.
    static QRectF box(const QStyleOption& option) {
        const QRect r = option.rect;
        const int side = std::min(r.width(), r.height());
        return QRectF(r.x() + (r.width() - side) / 2, r.y() + (r.height() - side) / 2, side, side)
            .adjusted(1.5, 1.5, -1.5, -1.5);
    }
    static void radio(const QStyleOption& option, QPainter& painter) {
        const Colours c = coloursOf(option);
        const bool on = (option.state & State_On) != 0;
        const QRectF r = box(option);
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(on ? c.accent : c.edge, 1.5));
        painter.setBrush(c.field);
        painter.drawEllipse(r);
        if (on) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(c.accent);
            const double dot = r.width() * 0.3;
            painter.drawEllipse(r.center(), dot, dot);
        }
        painter.restore();
    }
    static void check(const QStyleOption& option, QPainter& painter) {
        const Colours c = coloursOf(option);
        const bool on = (option.state & State_On) != 0;
        const bool partly = (option.state & State_NoChange) != 0;
        const QRectF r = box(option);
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(on || partly ? c.accent : c.edge, 1.5));
        painter.setBrush(on || partly ? c.accent : c.field);
        painter.drawRoundedRect(r, 2.5, 2.5);
        QPen mark(c.onAccent, 2.0);
        mark.setCapStyle(Qt::RoundCap);
        mark.setJoinStyle(Qt::RoundJoin);
        painter.setPen(mark);
        painter.setBrush(Qt::NoBrush);
        const double w = r.width(), h = r.height();
        if (on) {
            QPainterPath tick;
            tick.moveTo(r.x() + w * 0.22, r.y() + h * 0.52);
            tick.lineTo(r.x() + w * 0.42, r.y() + h * 0.72);
            tick.lineTo(r.x() + w * 0.78, r.y() + h * 0.30);
            painter.drawPath(tick);
        } else if (partly) {
            painter.drawLine(QPointF(r.x() + w * 0.25, r.center().y()),
                             QPointF(r.right() - w * 0.25, r.center().y()));
        }
        painter.restore();
    }
    static void focus(const QStyleOption& option, QPainter& painter) {
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(option.palette.color(QPalette::Highlight), 1.5));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(QRectF(option.rect).adjusted(0.75, 0.75, -0.75, -0.75), 3, 3);
        painter.restore();
    }
};

}  // namespace

void recorderSkinLookInstallStyle() {
    if (!QApplication::instance() || dynamic_cast<SkinStyle*>(QApplication::style())) return;
    QApplication::setStyle(new SkinStyle);  // the application owns it
}
