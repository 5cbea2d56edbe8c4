#pragma once
// The context-help convention for every window: a window given a topic (SetHelpTopic) pushes it
// on the help manager's context stack when it is shown and pops it when it is hidden, and F1
// pressed in it shows the topic, or the topic of the frame holding the focus. Installed once on
// the application.
#include "widgets/help_topic.h"

#include <QObject>
#include <QSet>

#include <string>

class QWidget;

namespace korvane {

class THelpManager;

// Shows the help for the widget holding the focus: the topic of the frame it is in, else the
// current context.
void ShowHelpFor(THelpManager& manager, const QWidget* focus);

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
