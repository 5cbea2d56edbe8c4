#include "storage/html_colours.h"

#include <gtest/gtest.h>

#include <QColor>
#include <set>

using namespace korvane;

// Qt knows the standard colour keywords too; our table must agree with it value for value and
// leave out exactly the names it is meant to.
TEST(HtmlColourNames, AgreeWithTheStandardKeywords) {
    std::set<std::string> ours;
    for (int i = 0; i < HtmlColourNameCount(); ++i) {
        const HtmlColourName& entry = HtmlColourNames()[i];
        ours.insert(entry.Name);
        const QColor standard(QLatin1String(entry.Name));
        ASSERT_TRUE(standard.isValid()) << entry.Name;
        EXPECT_EQ(standard.name(QColor::HexRgb).toUpper().toStdString(), entry.Value) << entry.Name;
    }
    std::set<std::string> missing;
    for (const QString& name : QColor::colorNames())
        if (!ours.count(name.toStdString())) missing.insert(name.toStdString());
    missing.erase("transparent");
    missing.erase("rebeccapurple");
    EXPECT_EQ(missing, (std::set<std::string>{"darkgrey", "darkslategrey", "dimgrey", "grey",
                                              "lightgrey", "lightslategrey", "slategrey", "oldlace",
                                              "olive", "olivedrab"}));
}
