#include "widgets/help_topic.h"

#include <QVariant>
#include <QWidget>

namespace korvane {
namespace {
constexpr const char* TopicProperty = "korvaneHelpTopic";
}

void SetHelpTopic(QWidget& widget, const std::string& topic) {
    widget.setProperty(TopicProperty, QString::fromStdString(topic));
}

std::string HelpTopicOf(const QWidget& widget) {
    return widget.property(TopicProperty).toString().toStdString();
}

std::string HelpTopicAt(const QWidget* widget) {
    for (; widget; widget = widget->isWindow() ? nullptr : widget->parentWidget())
        if (std::string topic = HelpTopicOf(*widget); !topic.empty()) return topic;
    return {};
}

} // namespace korvane
