#pragma once
// The help topic of a window, or of a part of one (a frame inside a page). Windows and frames
// only name their topic here; the help subsystem decides when to show it.
#include <string>

class QWidget;

namespace korvane {

void SetHelpTopic(QWidget& widget, const std::string& topic);
// The widget's own topic; "" when it has none.
std::string HelpTopicOf(const QWidget& widget);
// The topic of the nearest widget with one, from `widget` up to and including its window, so a
// frame's topic wins over its window's while the focus is inside the frame; "" for none.
std::string HelpTopicAt(const QWidget* widget);

} // namespace korvane
