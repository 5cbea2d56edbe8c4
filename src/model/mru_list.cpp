#include "model/mru_list.h"

#include "platform/qt_strings.h"
#include "platform/settings_store.h"

#include <QSettings>

#include <algorithm>
#include <filesystem>

namespace korvane {
namespace {

QString ItemKey(int number) {
    return QStringLiteral("Item%1").arg(number);
}

bool FileThere(const std::string& path) {
    std::error_code error;
    return std::filesystem::exists(path, error);
}

} // namespace

std::string EscapeMenuCaption(const std::string& text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        escaped += c;
        if (c == '&') escaped += '&';
    }
    return escaped;
}

TMRUList::TMRUList(std::string group, std::string autoLoadValue, int limit)
    : Group(std::move(group)), AutoLoadValue(std::move(autoLoadValue)), Limit(limit) {
    Load();
}

void TMRUList::Load() {
    const auto store = OpenUserSettings();
    store->beginGroup(ToQString(Group));
    Paths.clear();
    for (int i = 0; i < Limit; ++i) {
        const QVariant value = store->value(ItemKey(i));
        if (value.isValid() && !value.toString().isEmpty())
            Paths.push_back(ToStdString(value.toString()));
    }
}

void TMRUList::Save() const {
    const auto store = OpenUserSettings();
    store->beginGroup(ToQString(Group));
    for (int i = 0; i < Limit; ++i)
        store->remove(ItemKey(i));
    for (size_t i = 0; i < Paths.size(); ++i)
        store->setValue(ItemKey(static_cast<int>(i)), ToQString(Paths[i]));
    store->endGroup();
    store->sync();
}

void TMRUList::Add(const std::string& path) {
    if (path.empty()) return;
    Load();
    Paths.erase(std::remove(Paths.begin(), Paths.end(), path), Paths.end());
    if (static_cast<int>(Paths.size()) >= Limit) Paths.resize(static_cast<size_t>(Limit - 1));
    Paths.insert(Paths.begin(), path);
    Save();
}

void TMRUList::Clear() {
    Paths.clear();
    Save();
}

void TMRUList::ClearInactive() {
    Load();
    Paths.erase(std::remove_if(Paths.begin(), Paths.end(),
                               [](const std::string& path) { return !FileThere(path); }),
                Paths.end());
    Save();
}

std::string TMRUList::Entry(int number) const {
    return number >= 0 && number < static_cast<int>(Paths.size())
               ? Paths[static_cast<size_t>(number)]
               : std::string();
}

std::vector<TMRUList::TMenuItem> TMRUList::MenuItems() const {
    std::vector<TMenuItem> items;
    if (Paths.empty()) return items;
    std::string autoLoadPath;
    if (!AutoLoadValue.empty()) {
        const auto store = OpenUserSettings();
        autoLoadPath = ToStdString(
            store->value(QStringLiteral("Defaults/") + ToQString(AutoLoadValue)).toString());
    }
    bool anyMissing = false;
    for (size_t i = 0; i < Paths.size(); ++i) {
        const std::string& path = Paths[i];
        TMenuItem item;
        item.Number = static_cast<int>(i);
        // The first nine get a digit to choose them by; the tenth has none left.
        item.Caption =
            (i < 9 ? "&" + std::to_string(i + 1) + " " : std::string()) + EscapeMenuCaption(path);
        if (!autoLoadPath.empty() && path == autoLoadPath) item.Caption += "  (AutoLoad)";
        item.Enabled = FileThere(path);
        anyMissing = anyMissing || !item.Enabled;
        items.push_back(std::move(item));
    }
    // A lone missing entry is cleared as well by clearing the whole list.
    if (anyMissing && Paths.size() > 1)
        items.push_back({TMenuItem::ClearInactive, "Clear &Deleted Files from List", true, -1});
    items.push_back({TMenuItem::Clear, "&Clear Recent Files List", true, -1});
    return items;
}

} // namespace korvane
