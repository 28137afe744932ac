// The About window: its texts, object names and twips layout, that its texts fit
// their labels, that it is modal over the window that opened it, and that 关闭
// closes it.
#include <QDialog>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QtTest>

#include "app/about_dialog.h"

namespace qm {

class TestAboutDialog : public QObject {
    Q_OBJECT
private slots:
    void textsAndLayoutInTwips() {
        QWidget owner;
        QDialog* w = createAboutWindow(&owner, QStringLiteral("2010-6-20"));
        QCOMPARE(w->objectName(), QStringLiteral("Form2"));
        QCOMPARE(w->windowTitle(), QString::fromUtf8("关于 Quillmap"));
        QCOMPARE(w->parentWidget(), &owner);
        // 5745 x 2385 twips at 15 twips per pixel, and it cannot be resized.
        QCOMPARE(w->minimumSize(), QSize(383, 159));
        QCOMPARE(w->maximumSize(), QSize(383, 159));

        struct Expected {
            const char* name;
            QString text;
            QRect px;  // twips / 15
        };
        const Expected controls[] = {
            {"Label1", QString::fromUtf8("版本:1.0"), QRect(15, 10, 81, 16)},
            {"Label2", QString::fromUtf8("作者：Quillmap 开发组"), QRect(10, 40, 266, 16)},
            {"Label4", QString::fromUtf8("支持:quillmap@example.org"), QRect(10, 70, 176, 16)},
            {"Label3", QStringLiteral("2010-6-20"), QRect(10, 100, 71, 16)},
        };
        for (const Expected& e : controls) {
            auto* l = w->findChild<QLabel*>(QString::fromLatin1(e.name));
            QVERIFY2(l, e.name);
            QCOMPARE(l->text(), e.text);
            QCOMPARE(l->geometry(), e.px);
            // The text is not cut off at the label's edges.
            QVERIFY2(l->sizeHint().width() <= e.px.width(), e.name);
            QVERIFY2(l->fontMetrics().height() <= e.px.height(), e.name);
        }
        auto* close = w->findChild<QPushButton*>(QStringLiteral("Command1"));
        QVERIFY(close);
        QCOMPARE(close->text(), QString::fromUtf8("关闭"));
        QCOMPARE(close->geometry(), QRect(295, 125, 76, 26));
        delete w;
    }

    void theReducedEditorPassesItsOwnDate() {
        QDialog* w = createAboutWindow(nullptr, QStringLiteral("2010-6-18"));
        QCOMPARE(w->findChild<QLabel*>(QStringLiteral("Label3"))->text(), QStringLiteral("2010-6-18"));
        delete w;
    }

    void modalOverItsParentUntilClosed() {
        QWidget owner;
        owner.resize(400, 300);
        owner.show();
        QVERIFY(QTest::qWaitForWindowExposed(&owner));

        QPointer<QWidget> seen;
        bool modalSeen = false, parentSeen = false;
        QTimer::singleShot(0, this, [&] {
            seen = QApplication::activeModalWidget();
            if (!seen) {
                // Not modal: close it anyway so that the test ends.
                for (QWidget* top : QApplication::topLevelWidgets())
                    if (top->objectName() == QStringLiteral("Form2")) top->close();
                return;
            }
            modalSeen = seen->isModal() && seen->objectName() == QStringLiteral("Form2");
            parentSeen = seen->parentWidget() == &owner;
            QVERIFY(seen->isVisible());
            QTest::mouseClick(seen->findChild<QPushButton*>(QStringLiteral("Command1")), Qt::LeftButton);
        });
        // Returns only when 关闭 has closed the window.
        showAboutWindow(&owner, QStringLiteral("2010-6-20"));
        QVERIFY(modalSeen);
        QVERIFY(parentSeen);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(seen.isNull());  // the closed window is gone, not merely hidden
        QVERIFY(!QApplication::activeModalWidget());
    }
};

}  // namespace qm

QTEST_MAIN(qm::TestAboutDialog)
#include "about_dialog_test.moc"
