#include "controls/CAddressEdit.h"
#include "support/TestMain.h"

#include <QSignalSpy>
#include <QVBoxLayout>

namespace {

// Keys written as characters: Tab, Space, Backspace, Return ("\r"), the
// keypad's Enter ("\n"), Shift+Tab ("^"); anything else is typed.
void press(QWidget& edit, const QString& keys) {
    for (const QChar key : keys) {
        switch (key.unicode()) {
        case '\t':
            QTest::keyClick(&edit, Qt::Key_Tab);
            break;
        case '^':
            QTest::keyClick(&edit, Qt::Key_Tab, Qt::ShiftModifier);
            break;
        case ' ':
            QTest::keyClick(&edit, Qt::Key_Space);
            break;
        case '\b':
            QTest::keyClick(&edit, Qt::Key_Backspace);
            break;
        case '\r':
            QTest::keyClick(&edit, Qt::Key_Return);
            break;
        case '\n':
            QTest::keyClick(&edit, Qt::Key_Enter, Qt::KeypadModifier);
            break;
        default:
            QTest::keyClick(&edit, key.toLatin1());
            break;
        }
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
