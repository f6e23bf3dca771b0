#include "controls/CAddressEdit.h"
#include "support/TestMain.h"

#include <QHash>
#include <QSignalSpy>
#include <QVBoxLayout>

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
        QTest::newRow("typing") << ""
                                << "ab c"
                                << "ab c" << 0 << 0;
        QTest::newRow("Return asks for Go without a line break") << "x.org"
                                                                 << "\r"
                                                                 << "x.org" << 0 << 1;
        QTest::newRow("keypad Enter too") << "x.org"
                                          << "a\nb\n"
                                          << "x.orgab" << 0 << 2;
        QTest::newRow("first Tab swallowed") << "abc"
                                             << "\t"
                                             << "abc" << 1 << 0;
        QTest::newRow("Tab Space Backspace") << "abc"
                                             << "\t \b" << fallback << 0 << 0;
        QTest::newRow("Shift+Tab counts as Tab") << "abc"
                                                 << "^ \b" << fallback << 0 << 0;
        QTest::newRow("letters between keep the sequence") << ""
                                                           << "\ta \b" << fallback << 0 << 0;
        QTest::newRow("only one Space is swallowed") << ""
                                                     << "\t  "
                                                     << " " << 2 << 0;
        QTest::newRow("Backspace after Tab deletes") << "abc"
                                                     << "\t\b"
                                                     << "ab" << 1 << 0;
        QTest::newRow("Space without Tab is typed") << "ab"
                                                    << " \b\b"
                                                    << "a" << 0 << 0;
        QTest::newRow("Enter resets the sequence") << "abc"
                                                   << "\t \r\b"
                                                   << "ab" << 0 << 1;
        QTest::newRow("sequence can be repeated") << ""
                                                  << "\t \bq\t \b" << fallback << 0 << 0;
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
        auto* layout = new QVBoxLayout(&window);
        auto* edit = new CAddressEdit;
        auto* next = new QLineEdit;
        layout->addWidget(edit);
        layout->addWidget(next);
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
