// The skin-derived palette of dialogs and menus.
//
// The skin gives two colours, the list's text and background. Every other
// role is a mix of the two: the surface is the list's background, edit
// fields and buttons a little lighter, disabled texts a little more than half
// way from the text to the background (still about 4:1 against it).
// Selection colours follow the track list's, so a selected completion looks
// like a selected track.
#include "recorderDialogLook.h"

#include <QPalette>
#include <QWidget>

#include "ptListView.h"
#include "recorderApp.h"
#include "recorderMainSkin.h"
#include "report.h"

static constexpr const char* kReportModule = "./recorderDialogLook";

namespace {

QColor mix(const QColor& from, const QColor& to, double share) {
    auto part = [share](int a, int b) { return static_cast<int>(a + (b - a) * share + 0.5); };
    return QColor(part(from.red(), to.red()), part(from.green(), to.green()), part(from.blue(), to.blue()));
}

QPalette skinPalette(const QColor& text, const QColor& back, const QColor& selText, const QColor& selBack) {
    QPalette p;
    // The dialog's surface is the list's own background; fields, check boxes
    // and radio buttons are filled a step lighter so that their edges and
    // marks stand out from it, buttons a step lighter again.
    const QColor surface = back;
    const QColor field = mix(back, text, 0.12);
    const QColor button = mix(back, text, 0.20);
    const QColor muted = mix(text, surface, 0.45);
    // The list's selection blue carries white text at about 4:1; a shade
    // darker brings a selected completion or field text past 4.5:1.
    const QColor highlight = selBack.darker(120);
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        const bool disabled = group == QPalette::Disabled;
        p.setColor(group, QPalette::Window, surface);
        p.setColor(group, QPalette::WindowText, disabled ? muted : text);
        p.setColor(group, QPalette::Base, disabled ? mix(back, text, 0.06) : field);
        p.setColor(group, QPalette::AlternateBase, mix(back, text, 0.08));
        p.setColor(group, QPalette::Text, disabled ? muted : text);
        p.setColor(group, QPalette::PlaceholderText, mix(text, field, 0.45));
        p.setColor(group, QPalette::Button, button);
        p.setColor(group, QPalette::ButtonText, disabled ? muted : text);
        p.setColor(group, QPalette::BrightText, Qt::white);
        p.setColor(group, QPalette::Light, mix(back, text, 0.35));
        p.setColor(group, QPalette::Midlight, mix(back, text, 0.28));
        p.setColor(group, QPalette::Mid, mix(back, text, 0.16));
        p.setColor(group, QPalette::Dark, back.darker(150));
        p.setColor(group, QPalette::Shadow, Qt::black);
        p.setColor(group, QPalette::Highlight, disabled ? button : highlight);
        p.setColor(group, QPalette::HighlightedText, disabled ? muted : selText);
        p.setColor(group, QPalette::Link, selBack.lighter(140));
        p.setColor(group, QPalette::LinkVisited, selBack.lighter(120));
        p.setColor(group, QPalette::ToolTipBase, surface);
        p.setColor(group, QPalette::ToolTipText, text);
    }
    return p;
}

}  // namespace

int recorderDialogLook(RecorderApp& app, QWidget& widget) {
    if (!app.owned.skin) return OKAY;
    int left = 0, top = 0, right = 0, bottom = 0;
    RecorderSkinColour text, back;
    REPORT_CHECK(recorderMainSkinListLayout(app.owned.skin.get(), left, top, right, bottom, text, back));
    const ptListView defaults;
    const ptListView& list = app.owned.listCtrl ? *app.owned.listCtrl : defaults;
    widget.setPalette(skinPalette(QColor(text.red, text.green, text.blue),
                                  QColor(back.red, back.green, back.blue), list.selTextFocus,
                                  list.selBackFocus));
    return OKAY;
}
