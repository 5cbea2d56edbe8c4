#include "widgets/ok_cancel_row.h"

#include <QBoxLayout>
#include <QDialog>
#include <QPushButton>

namespace korvane {

TOkCancelButtons AddOkCancelRow(QDialog& dialog, QBoxLayout& layout) {
    auto* row = new QHBoxLayout;
    row->addStretch();
    TOkCancelButtons buttons{new QPushButton(QStringLiteral("OK")),
                             new QPushButton(QStringLiteral("Cancel"))};
    buttons.OK->setDefault(true);
    row->addWidget(buttons.OK);
    row->addWidget(buttons.Cancel);
    layout.addLayout(row);
    QObject::connect(buttons.OK, &QPushButton::clicked, &dialog, &QDialog::accept);
    QObject::connect(buttons.Cancel, &QPushButton::clicked, &dialog, &QDialog::reject);
    return buttons;
}

} // namespace korvane
