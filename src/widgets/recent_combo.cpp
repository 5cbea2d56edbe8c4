#include "widgets/recent_combo.h"

#include "platform/qt_strings.h"

#include <QComboBox>

namespace korvane {
namespace {
constexpr int RecentEntries = 8;
}

void RecentToTop(QComboBox* comboBox, const std::string& text) {
    if (text.empty()) return;
    const QString entry = ToQString(text);
    for (int i = comboBox->count() - 1; i >= 0; --i)
        if (comboBox->itemText(i) == entry) comboBox->removeItem(i);
    comboBox->insertItem(0, entry);
    while (comboBox->count() > RecentEntries)
        comboBox->removeItem(comboBox->count() - 1);
    comboBox->setCurrentIndex(0);
}

} // namespace korvane
