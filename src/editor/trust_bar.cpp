#include "editor/trust_bar.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace korvane {

TTrustBar::TTrustBar(QWidget* parent, std::function<void()> onTrust) : QFrame(parent) {
    setObjectName(QStringLiteral("TrustBar"));
    setFrameShape(QFrame::StyledPanel);
    setStyleSheet(QStringLiteral("#TrustBar { background: #fff3c4; }"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 2, 6, 2);
    auto* text = new QLabel(
        QStringLiteral("This file is not in the project's folders: its syntax check read it "
                       "without running any of its code."),
        this);
    text->setWordWrap(true);
    layout->addWidget(text, 1);
    auto* trust =
        new QPushButton(QStringLiteral("Trust this file (run BEGIN blocks while checking)"), this);
    trust->setObjectName(QStringLiteral("TrustButton"));
    layout->addWidget(trust);
    connect(trust, &QPushButton::clicked, this, [onTrust = std::move(onTrust)] { onTrust(); });
}

} // namespace korvane
