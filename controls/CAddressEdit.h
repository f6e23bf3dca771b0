#pragma once

#include <QLineEdit>

class QKeyEvent;

// The address box: Enter asks for Go; Tab, Space, Backspace fill in the
// built-in fallback address.
class CAddressEdit : public QLineEdit {
    Q_OBJECT
public:
    static const char* const FallbackAddress;

    explicit CAddressEdit(QWidget* parent = nullptr);
    int KeyState() const;

signals:
    // Enter was pressed: the active view's Go command should run.
    void goRequested();

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    enum KeySequence { NoKey = 0, AfterTab = 1, AfterTabSpace = 2 };

    static bool IsTab(const QKeyEvent& event);
    bool SwallowsTab();

    int keyState = NoKey;
};
