#include "DEVICE/DEVICE_ClassTarvoVersionInfo.h"
#include "GUI/GUI_ClassManagePackage.h"
#include "GUI/GUI_MessageBox.h"
#include "GUI/GUI_Theme.h"
#include "QT_COMMON_WIDGET/ZR_WIDGET/COMMON_ClassZRProgressBar.h"
#include "TestFiles.h"
#include "TestHttpServer.h"

#include <QCheckBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace
{
const QString CATALOGUE_PATH = QStringLiteral("/~ftp-xml/tarvo4ksimulator/tarvo4kpackages.ini");
const QByteArray THREE_PACKAGES("[General]\nTARVO_3_1_51=3.1.51\nTARVO_3_2_0=3.2.0\nTARVO_3_10_0=3.10.0\n");
} // namespace

// The package manager window on its own: what it shows, its operations and its three signals.
class TestManagePackage : public QObject
{
    Q_OBJECT

private:
    TestHttpServer server;
    std::unique_ptr<QTemporaryDir> applicationFolder;
    std::unique_ptr<QTemporaryDir> sessionsRoot;
    std::unique_ptr<CLASS_TARVO_VERSION_INFO> versionInfo;
    QPointer<CLASS_MANAGE_PACKAGE> dialog;

    void Open(const QByteArray& catalogue = THREE_PACKAGES)
    {
        server.SetRoute(CATALOGUE_PATH, catalogue);
        TARVO_VERSION_INFO_LOCATIONS locations;
        locations.applicationFolder = applicationFolder->path();
        locations.sessionsRoot = sessionsRoot->path() + QStringLiteral("/");
        locations.catalogueUrl = server.Url(CATALOGUE_PATH);
        locations.transferTimeoutMs = 5000;
        versionInfo = std::make_unique<CLASS_TARVO_VERSION_INFO>(locations);
        dialog = new CLASS_MANAGE_PACKAGE(versionInfo.get());
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
    }
    QPushButton* Button(const char* name) const
    {
        return dialog->findChild<QPushButton*>(QString::fromLatin1(name));
    }
    QLabel* Label(const char* name) const { return dialog->findChild<QLabel*>(QString::fromLatin1(name)); }
    QStringList Checked() const
    {
        QStringList checked{QStringLiteral("left over")};
        dialog->GetCheckedPackages(checked);
        return checked;
    }

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        InitLauncherResources();
        QVERIFY(server.Start());
    }

    void init()
    {
        applicationFolder = std::make_unique<QTemporaryDir>();
        sessionsRoot = std::make_unique<QTemporaryDir>();
    }

    void cleanup()
    {
        delete dialog.data();
        versionInfo.reset();
        CLASS_MESSAGE_BOX::SetAutoAnswer(false);
        CLASS_MESSAGE_BOX::ClearHistory();
    }

    void windowAsOpened()
    {
        Open();
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Package manager"));
        QVERIFY(dialog->testAttribute(Qt::WA_DeleteOnClose));
        QVERIFY(!(dialog->windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(dialog->windowFlags() & Qt::CustomizeWindowHint);
        QVERIFY(dialog->isWindow());
        QVERIFY(!dialog->isModal());
        QVERIFY(!dialog->findChild<QLabel*>(QStringLiteral("logo"))->pixmap(Qt::ReturnByValue).isNull());
        QCOMPARE(Label("instruction")->text(),
                 QStringLiteral("Choose the package(s) that you want to install and press apply."));
        QCOMPARE(Button("applybutton")->text(), QStringLiteral("Apply"));
        QCOMPARE(Button("closebutton")->text(), QStringLiteral("Close"));
        QCOMPARE(Button("refreshbutton")->text(), QStringLiteral("Refresh"));
        QCOMPARE(Button("cancelbutton")->text(), QStringLiteral("Cancel"));
        QCOMPARE(Button("cancelbutton")->size(), QSize(77, 24));
        QVERIFY(Button("applybutton")->isEnabled() && Button("closebutton")->isEnabled());
        // Boxes in catalogue order (key names reversed), none ticked.
        QCOMPARE(dialog->PackageCount(), 3);
        QCOMPARE(dialog->PackageBox(0)->text(), QStringLiteral("3.2.0"));
        QCOMPARE(dialog->PackageBox(1)->text(), QStringLiteral("3.1.51"));
        QCOMPARE(dialog->PackageBox(2)->text(), QStringLiteral("3.10.0"));
        QCOMPARE(Checked(), QStringList());
        // The progress area and the no-internet notice are hidden at first.
        QVERIFY(dialog->ProgressBar()->isHidden());
        QVERIFY(Label("statuslabel")->isHidden());
        QVERIFY(Button("cancelbutton")->isHidden());
        QVERIFY(Button("pausebutton")->isHidden());
        QCOMPARE(dialog->StatusText(), QString());
        QVERIFY(Label("warningicon")->isHidden());
        QVERIFY(Label("warningtext")->isHidden());
        QCOMPARE(Label("warningtext")->text(), QStringLiteral("Internet connection is not available."));
        QVERIFY(!Label("warningicon")->pixmap(Qt::ReturnByValue).isNull());
        // The bar: size index 2, green, 0 to 100 at 0.
        QCOMPARE(dialog->ProgressBar()->SizeIndex(), 2u);
        QCOMPARE(dialog->ProgressBar()->FillColor(), QColor(QStringLiteral("#00FF7F")));
        QCOMPARE(dialog->ProgressBar()->minimum(), 0);
        QCOMPARE(dialog->ProgressBar()->maximum(), 100);
        QCOMPARE(dialog->ProgressBar()->value(), 0);
    }

    void setPackageChecked_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QStringList>("checked");
        QTest::newRow("first") << 0 << QStringList{"3.2.0"};
        QTest::newRow("last") << 2 << QStringList{"3.10.0"};
        QTest::newRow("below the boxes") << -1 << QStringList();
        QTest::newRow("number of boxes") << 3 << QStringList();
        QTest::newRow("far beyond") << 1000 << QStringList();
    }
    void setPackageChecked()
    {
        QFETCH(int, index);
        QFETCH(QStringList, checked);
        Open();
        dialog->SetPackageChecked(index, true);
        QCOMPARE(Checked(), checked);
        dialog->SetPackageChecked(index, false);
        QCOMPARE(Checked(), QStringList());
    }

    void checkedPackagesFollowTheBoxOrder()
    {
        Open();
        for (const int index : {2, 0})
        {
            QCheckBox* box = dialog->PackageBox(index);
            QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, QPoint(8, box->height() / 2));
        }
        QCOMPARE(Checked(), (QStringList{"3.2.0", "3.10.0"}));
    }

    void progressAreaAndButtonsTogether()
    {
        Open();
        dialog->SetProgressHidden(false);
        QVERIFY(dialog->ProgressBar()->isVisible() && Label("statuslabel")->isVisible() &&
                Button("cancelbutton")->isVisible());
        dialog->SetStatusText(QStringLiteral("Removing 3.2.0"));
        QCOMPARE(Label("statuslabel")->text(), QStringLiteral("Removing 3.2.0"));
        dialog->SetButtonsEnabled(false);
        QVERIFY(!Button("applybutton")->isEnabled() && !Button("closebutton")->isEnabled());
        QVERIFY(Button("cancelbutton")->isEnabled());
        dialog->SetButtonsEnabled(true);
        QVERIFY(Button("applybutton")->isEnabled() && Button("closebutton")->isEnabled());
        dialog->SetProgressHidden(true);
        QVERIFY(dialog->ProgressBar()->isHidden() && Label("statuslabel")->isHidden() &&
                Button("cancelbutton")->isHidden());
    }

    void noInternetNotice()
    {
        Open();
        // Apply stays: removing packages needs no server.
        dialog->SetNoInternet(true);
        QVERIFY(Label("warningicon")->isVisible() && Label("warningtext")->isVisible());
        QCOMPARE(Label("warningtext")->text(), QStringLiteral("Internet connection is not available."));
        QVERIFY(Button("applybutton")->isEnabled());
        QVERIFY(Button("closebutton")->isEnabled());
        dialog->SetNoInternet(true, QStringLiteral("http://127.0.0.1:8470/"));
        QCOMPARE(
            Label("warningtext")->text(),
            QStringLiteral("Internet connection is not available: http://127.0.0.1:8470/ does not answer."));
        dialog->SetNoInternet(false);
        QVERIFY(Label("warningicon")->isHidden() && Label("warningtext")->isHidden());
        QVERIFY(Button("applybutton")->isEnabled());
    }

    void buttonsEmitTheirRequestsFromTheEventLoop_data()
    {
        QTest::addColumn<QString>("button");
        QTest::newRow("apply") << "applybutton";
        QTest::newRow("cancel") << "cancelbutton";
        QTest::newRow("pause") << "pausebutton";
        QTest::newRow("refresh") << "refreshbutton";
    }
    void buttonsEmitTheirRequestsFromTheEventLoop()
    {
        QFETCH(QString, button);
        Open();
        dialog->SetProgressHidden(false);
        dialog->SetPauseButton(PACKAGE_PAUSE_BUTTON::Pause);
        QSignalSpy update(dialog.data(), &CLASS_MANAGE_PACKAGE::SIGNAL_RequestUpdate);
        QSignalSpy cancel(dialog.data(), &CLASS_MANAGE_PACKAGE::SIGNAL_RequestCancel);
        QSignalSpy pause(dialog.data(), &CLASS_MANAGE_PACKAGE::SIGNAL_RequestPauseOrResume);
        QSignalSpy refresh(dialog.data(), &CLASS_MANAGE_PACKAGE::SIGNAL_RequestRefresh);
        const QMap<QString, QSignalSpy*> spies{{QStringLiteral("applybutton"), &update},
                                               {QStringLiteral("cancelbutton"), &cancel},
                                               {QStringLiteral("pausebutton"), &pause},
                                               {QStringLiteral("refreshbutton"), &refresh}};
        QSignalSpy& expected = *spies.value(button);
        QTest::mouseClick(Button(qPrintable(button)), Qt::LeftButton);
        QCOMPARE(expected.count(), 0); // queued: not yet
        QVERIFY(expected.wait(1000));
        QCOMPARE(update.count() + cancel.count() + pause.count() + refresh.count(), 1);
    }

    void valueReachesTheBarFromTheEventLoop()
    {
        Open();
        emit dialog->SIGNAL_ValueChanged(42);
        QCOMPARE(dialog->ProgressBar()->value(), 0);
        QTRY_COMPARE(dialog->ProgressBar()->value(), 42);
    }

    void closeDeletesTheWindowAtOnce()
    {
        Open();
        QTest::mouseClick(Button("closebutton"), Qt::LeftButton);
        QVERIFY(!dialog->isVisible()); // acted at once, not queued
        QTRY_VERIFY(dialog.isNull());
    }

    void incompatibleCatalogueMessageThenClosed()
    {
        Open();
        CLASS_MESSAGE_BOX::SetAutoAnswer(true);
        dialog->ShowIncompatibleAndClose();
        QCOMPARE(CLASS_MESSAGE_BOX::Texts(),
                 QStringList{QStringLiteral(
                     "Please update your simulator, a package isn't compatible with this version.")});
        QCOMPARE(CLASS_MESSAGE_BOX::LastTitle(), QStringLiteral("Tarvo 4k Simulator"));
        QCOMPARE(CLASS_MESSAGE_BOX::LastIcon(), QMessageBox::Information);
        QVERIFY(!dialog->isVisible());
        dialog->show(); // a closed window being deleted does not come back
        QVERIFY(!dialog->isVisible());
        QTRY_VERIFY(dialog.isNull());
    }

    void catalogueWithoutPackages()
    {
        // Only a local copy can hold no package: a downloaded catalogue without one is not kept.
        const QByteArray empty("[version]\ncompatibility=1\n");
        QVERIFY(WriteFile(sessionsRoot->filePath(QStringLiteral("tarvo4kpackages.ini")), empty));
        Open(empty);
        QCOMPARE(dialog->PackageCount(), 0);
        QVERIFY(dialog->findChildren<QCheckBox*>().isEmpty());
        QCOMPARE(Checked(), QStringList());
        dialog->SetPackageChecked(0, true);
        QSignalSpy update(dialog.data(), &CLASS_MANAGE_PACKAGE::SIGNAL_RequestUpdate);
        QTest::mouseClick(Button("applybutton"), Qt::LeftButton);
        QVERIFY(update.wait(1000));
    }
};

QTEST_MAIN(TestManagePackage)
#include "TestManagePackage.moc"
