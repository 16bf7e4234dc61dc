// The dialogs' frame and their OK / Cancel row.
#include "recorderDialogForm.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

QVBoxLayout* recorderDialogFormStart(QDialog& dialog, const char* caption) {
    dialog.setWindowTitle(caption);
    auto* layout = new QVBoxLayout(&dialog);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    return layout;
}

RecorderDialogButtons recorderDialogFormButtons(QDialog& dialog, QBoxLayout& layout, const char* okId,
                                                const char* cancelId) {
    RecorderDialogButtons b;
    auto* row = new QHBoxLayout();
    row->addStretch(1);
    b.ok = new QPushButton("OK", &dialog);
    b.ok->setObjectName(okId);
    b.ok->setDefault(true);
    b.cancel = new QPushButton("Cancel", &dialog);
    b.cancel->setObjectName(cancelId);
    row->addWidget(b.ok);
    row->addWidget(b.cancel);
    layout.addLayout(row);
    QObject::connect(b.cancel, &QPushButton::clicked, &dialog, &QDialog::reject);
    return b;
}
