#pragma once

#include <QObject>
#include <QString>

// The browser as the game uses it: navigate, go back, ask whether it is busy, and hear of each
// navigation (frames included), each title change and each finished load.
class Browser : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    ~Browser() override = default;

    // Returns at once; the events below follow as the page loads.
    virtual void Navigate(const QString &url) = 0;
    virtual void GoBack() = 0;
    // Back and forward can reach no page before the one shown now (a round starts here).
    virtual void ForgetHistory() = 0;
    // True from the start of a load until it finishes.
    virtual bool Busy() const = 0;

signals:
    // Raised before every navigation of the page and of its frames; it never cancels.
    void BeforeNavigate2(const QString &url);
    // The document title, as the site sends it, on every change.
    void TitleChange(const QString &text);
    // A page has finished loading (or failed to).
    void DocumentComplete(const QString &url);
};
