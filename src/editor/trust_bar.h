#pragma once
// The bar above a page's text when its syntax check only read the file: the file is not in the
// project's folders and the user has not said its code may run.
#include <QFrame>

#include <functional>

namespace korvane {

class TTrustBar : public QFrame {
public:
    TTrustBar(QWidget* parent, std::function<void()> onTrust);
};

} // namespace korvane
