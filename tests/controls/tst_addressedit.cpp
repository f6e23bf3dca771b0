#include "controls/CAddressEdit.h"
#include "support/TestMain.h"

#include <QHash>
#include <QLineEdit>
#include <QSignalSpy>

namespace {

// Keys written as characters: Tab, Shift+Tab ("^"), Space, Backspace,
// Return ("\r") and the keypad's Enter ("\n"); anything else is typed.
void press(QWidget& edit, const QString& keys) {
    const QHash<QChar, QPair<Qt::Key, Qt::KeyboardModifiers>> special = {
        {'\t', {Qt::Key_Tab, Qt::NoModifier}},    {'^', {Qt::Key_Tab, Qt::ShiftModifier}},
        {' ', {Qt::Key_Space, Qt::NoModifier}},   {'\b', {Qt::Key_Backspace, Qt::NoModifier}},
        {'\r', {Qt::Key_Return, Qt::NoModifier}}, {'\n', {Qt::Key_Enter, Qt::KeypadModifier}}};
    for (const QChar key : keys) {
        if (special.contains(key))
            QTest::keyClick(&edit, special[key].first, special[key].second);
        else
            QTest::keyClick(&edit, key.toLatin1());
    }
}

} // namespace

class AddressEditTest : public QObject {
    Q_OBJECT
private slots:
    void keySequences_data() {
        const QString fallback = QString::fromLatin1(CAddressEdit::FallbackAddress);
        QTest::addColumn<QString>("initial");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("keyState");
        QTest::addColumn<int>("goRequests");
        const auto row = [](const char* name, const char* initial, const char* keys,
                            const QString& text, int keyState, int goRequests) {
            QTest::newRow(name) << QString(initial) << QString(keys) << text << keyState
                                << goRequests;
        };
        row("typing", "", "ab c", "ab c", 0, 0);
        row("Return asks for Go without a line break", "x.org", "\r", "x.org", 0, 1);
        row("keypad Enter too", "x.org", "a\nb\n", "x.orgab", 0, 2);
        row("first Tab swallowed", "abc", "\t", "abc", 1, 0);
        row("Tab Space Backspace", "abc", "\t \b", fallback, 0, 0);
        row("Shift+Tab counts as Tab", "abc", "^ \b", fallback, 0, 0);
        row("letters between keep the sequence", "", "\ta \b", fallback, 0, 0);
        row("only one Space is swallowed", "", "\t  ", " ", 2, 0);
        row("Backspace after Tab deletes", "abc", "\t\b", "ab", 1, 0);
        row("Space without Tab is typed", "ab", " \b\b", "a", 0, 0);
        row("Enter resets the sequence", "abc", "\t \r\b", "ab", 0, 1);
        row("sequence can be repeated", "", "\t \bq\t \b", fallback, 0, 0);
    }
    void keySequences() {
        QFETCH(QString, initial);
        QFETCH(QString, keys);
        QFETCH(QString, text);
        QFETCH(int, keyState);
        QFETCH(int, goRequests);
        CAddressEdit edit;
        edit.setText(initial);
        QSignalSpy go(&edit, &CAddressEdit::goRequested);
        press(edit, keys);
        QCOMPARE(edit.text(), text);
        QCOMPARE(edit.KeyState(), keyState);
        QCOMPARE(go.count(), goRequests);
    }

    void secondTabMovesFocusOn() {
        QWidget window;
        auto* edit = new CAddressEdit(&window);
        auto* next = new QLineEdit(&window);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        edit->setFocus();
        QTRY_VERIFY(edit->hasFocus());

        QTest::keyClick(edit, Qt::Key_Tab);
        QVERIFY(edit->hasFocus());
        QTest::keyClick(edit, Qt::Key_Tab);
        QTRY_VERIFY(next->hasFocus());
        QCOMPARE(edit->KeyState(), 1);
        QVERIFY(edit->text().isEmpty());
    }
};

QUILLMAR_TEST_MAIN(AddressEditTest)
#include "tst_addressedit.moc"
