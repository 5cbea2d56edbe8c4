#pragma once
// The context-help convention for every window: a window given a topic pushes it on the
// help manager's context stack when it is shown and pops it when it is hidden, and F1
// pressed in it shows the topic. Installed once on the application.
#include <QObject>
#include <QSet>

#include <string>

class QWidget;

namespace korvane {

class THelpManager;

void SetHelpTopic(QWidget& window, const std::string& topic);

class THelpContextFilter : public QObject {
public:
    explicit THelpContextFilter(THelpManager& manager, QObject* parent = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    THelpManager& Manager;
    QSet<QObject*> Pushed;
};

} // namespace korvane
