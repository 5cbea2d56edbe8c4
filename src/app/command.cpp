#include "app/command.h"

#include <QWidget>

namespace korvane {

namespace {
constexpr const char* CategoryProperty = "korvaneCategory";
constexpr const char* OwnToolTipProperty = "korvaneOwnToolTip";
constexpr const char* OwnStatusTipProperty = "korvaneOwnStatusTip";
} // namespace

QAction* MakeCommand(QWidget& window, const TCommandEntry& entry) {
    auto* action = new QAction(QString::fromUtf8(entry.Caption), &window);
    action->setObjectName(QString::fromLatin1(entry.Name));
    action->setProperty(CategoryProperty, QString::fromLatin1(entry.Category));
    action->setShortcut(entry.Keys);
    const QString hint = QString::fromUtf8(entry.Hint);
    action->setStatusTip(hint);
    action->setToolTip(hint.isEmpty() ? action->text().remove(QLatin1Char('&')) : hint);
    window.addAction(action);
    return action;
}

QAction* FindCommand(const QWidget& window, const char* name) {
    return window.findChild<QAction*>(QString::fromLatin1(name), Qt::FindDirectChildrenOnly);
}

QString CommandCategory(const QAction& action) {
    return action.property(CategoryProperty).toString();
}

void AdoptCommand(QWidget& window, QAction& action, const char* name, const char* category) {
    action.setParent(&window);
    action.setObjectName(QString::fromLatin1(name));
    action.setProperty(CategoryProperty, QString::fromLatin1(category));
    window.addAction(&action);
}

void ShowHintReason(QAction& action, const QString& reason) {
    if (!action.property(OwnToolTipProperty).isValid()) {
        action.setProperty(OwnToolTipProperty, action.toolTip());
        action.setProperty(OwnStatusTipProperty, action.statusTip());
    }
    action.setToolTip(reason.isEmpty() ? action.property(OwnToolTipProperty).toString() : reason);
    action.setStatusTip(reason.isEmpty() ? action.property(OwnStatusTipProperty).toString()
                                         : reason);
}

QString EscapeMenuText(QString text) {
    return text.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

void TCommandUpdates::Add(QAction& action, Handler update) {
    Updates.emplace_back(&action, std::move(update));
}

void TCommandUpdates::RunAll() const {
    for (const auto& [action, update] : Updates)
        if (action) update(*action);
}

} // namespace korvane
