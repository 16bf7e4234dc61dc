// The skin-derived look (see recorderSkinLook.h). Every colour but the two the
// skin gives is a mix of them, so the look keeps its contrast whether the skin
// is dark or light; only the selection's accent comes from the list's own
// blue, which carries white text.
#include "recorderSkinLook.h"

#include <QAbstractButton>
#include <QDialog>
#include <QEvent>
#include <QFrame>
#include <QMenu>
#include <QWidget>

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

}  // namespace

int recorderSkinLookFromSkin(Skin* skin, RecorderSkinLook& look) {
    int left = 0, top = 0, right = 0, bottom = 0;
    RecorderSkinColour text, back;
    REPORT_CHECK(recorderMainSkinListLayout(skin, left, top, right, bottom, text, back));
    look.text = QColor(text.red, text.green, text.blue);
    look.back = QColor(back.red, back.green, back.blue);
    // The accent is the list's own selection blue, a shade darker: white
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
    return OKAY;
}

QPalette recorderSkinLookPalette(const RecorderSkinLook& look) {
    QPalette p;
    // The surface is the list's own background; fields, check boxes and radio
    // buttons are filled a step lighter so that their edges and marks stand
    // out from it, buttons a step lighter again.
    const QColor field = mix(look.back, look.text, 0.12);
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
        p.setColor(group, QPalette::Highlight, disabled ? button : look.selBack);
        p.setColor(group, QPalette::HighlightedText, disabled ? muted : look.selText);
        p.setColor(group, QPalette::Link, look.selBack.lighter(160));
        p.setColor(group, QPalette::LinkVisited, look.selBack.lighter(140));
        p.setColor(group, QPalette::ToolTipBase, look.back);
        p.setColor(group, QPalette::ToolTipText, look.text);
    }
    return p;
}

QString recorderSkinLookListStyle(const RecorderSkinLook& look) {
    return QString(
               "QTreeWidget { border: 0; background-color: %1; }"
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
             look.headerText.name(), look.line.name());
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
