#pragma once
// The organizer's search dialog ("Find Code Template..."): an alias or a description, where
// to start, and whether the match must be exact.
class QWidget;

namespace korvane {

struct TTemplateSearch;

// Opens with search as the last one; true when OK was pressed (search then holds the new one).
bool AskTemplateSearch(QWidget* parent, TTemplateSearch& search);

} // namespace korvane
