#include "editor/confirm_replace_dialog.h"

#include "platform/qt_strings.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace korvane {

QPoint PlaceNearTextPosition(QSize dialog, const QRect& rect, int x, int y1, int y2) {
    int left = x;
    if (dialog.width() >= rect.width())
        left = rect.left() + (rect.width() - dialog.width()) / 2;
    else if (left + dialog.width() > rect.left() + rect.width())
        left = rect.left() + rect.width() - dialog.width();
    const int top = y2 > rect.top() + rect.height() * 2 / 3 ? y1 - dialog.height() - 4 : y2 + 4;
    return {left, top};
}

TConfirmReplaceDialog::TConfirmReplaceDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Confirm replace"));
    auto* layout = new QVBoxLayout(this);
    auto* row = new QHBoxLayout;
    layout->addLayout(row);
    auto* icon = new QLabel(this);
    const int size = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxQuestion).pixmap(size, size));
    row->addWidget(icon, 0, Qt::AlignTop);
    Question = new QLabel(this);
    Question->setTextFormat(Qt::PlainText);
    Question->setWordWrap(true);
    Question->setMinimumWidth(280);
    row->addWidget(Question, 1);

    auto* buttons = new QHBoxLayout;
    layout->addLayout(buttons);
    const auto addButton = [this, buttons](const char* caption, int answer) {
        auto* button = new QPushButton(QString::fromLatin1(caption), this);
        connect(button, &QPushButton::clicked, this, [this, answer] { done(answer); });
        buttons->addWidget(button);
        return button;
    };
    addButton("&Yes", 1)->setDefault(true);
    addButton("&No", 2);
    addButton("Cancel", 0);
    addButton("Yes to &all", 3);
}

void TConfirmReplaceDialog::PlaceNearText(const QRect& editorRect, int x, int y1, int y2,
                                          const std::string& text) {
    Question->setText(QStringLiteral("Replace this occurence of \"%1\"?").arg(ToQString(text)));
    adjustSize();
    move(PlaceNearTextPosition(size(), editorRect, x, y1, y2));
}

TReplaceAction TConfirmReplaceDialog::AskAction() {
    switch (exec()) {
    case 1:
        return TReplaceAction::Replace;
    case 2:
        return TReplaceAction::Skip;
    case 3:
        return TReplaceAction::ReplaceAll;
    default:
        return TReplaceAction::Cancel;
    }
}

} // namespace korvane
