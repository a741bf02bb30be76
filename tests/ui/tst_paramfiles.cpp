// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// File > Open and File > Save through the real file dialogs, without a
// device: the dialogs as they open, round trips of every value, the bytes on
// disk, the extension rule, replacing files, short and odd files.
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <climits>
#include <memory>

#include "tests/support/ModalDriver.h"
#include "tests/support/PortTable.h"
#include "tests/support/WindowFixture.h"
#include "tests/ui/ParamFileTestSupport.h"
#include "ui/StatusPanes.h"

using namespace ParamFileTest;

namespace {
const QString kFilter = QStringLiteral("DX470 Configure Files (*.TQ4)");
}  // namespace

class TestParamFiles : public QObject {
    Q_OBJECT

private slots:
    void init() {
        dir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(dir_->isValid());
        QVERIFY(window_.Open());
        window_.dlg->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.dlg.get()));
        // The menu items are usable only while the link is up.
        window_.dlg->SetEditingEnabled(true);
    }

    void cleanup() {
        window_.Close();
        dir_.reset();
    }

    // Qt's own dialog, owned by the window and modal, with the one filter and
    // the initial name; the window's timers go on behind it. Cancelling
    // changes and writes nothing.
    void openDialogAsItOpens() {
        CCalibDlg& dlg = *window_.dlg;
        SetPanel(dlg, AllOf(42));
        dlg.StatusBar()->SetPaneText(2, QString());
        ModalDriver driver;
        driver.actWhen = [&dlg] { return ShownPaneText(dlg, 2) == QStringLiteral("Time:"); };
        driver.Cancel();
        dlg.Command(CommandId::kFileOpen)->trigger();
        QCOMPARE(driver.seen.size(), 1);
        const ModalDriver::Seen& seen = driver.seen.at(0);
        QVERIFY(seen.IsFileDialog());
        QCOMPARE(seen.parent, &dlg);
        QVERIFY(seen.modal);
        QCOMPARE(seen.acceptMode, QFileDialog::AcceptOpen);
        QCOMPARE(seen.fileMode, QFileDialog::AnyFile);
        QVERIFY(seen.options.testFlag(QFileDialog::DontUseNativeDialog));
        QVERIFY(!seen.options.testFlag(QFileDialog::ReadOnly));
        QCOMPARE(seen.nameFilters, QStringList{kFilter});
        QCOMPARE(seen.fileName, QStringLiteral("*.tq4"));
        QCOMPARE(seen.defaultSuffix, QString());
        QVERIFY(PanelShows(dlg, AllOf(42)));
    }

    void saveDialogAsItOpens() {
        CCalibDlg& dlg = *window_.dlg;
        ModalDriver driver;
        driver.Cancel();
        dlg.Command(CommandId::kFileSave)->trigger();
        QCOMPARE(driver.seen.size(), 1);
        const ModalDriver::Seen& seen = driver.seen.at(0);
        QVERIFY(seen.IsFileDialog());
        QCOMPARE(seen.parent, &dlg);
        QVERIFY(seen.modal);
        QCOMPARE(seen.acceptMode, QFileDialog::AcceptSave);
        QVERIFY(seen.options.testFlag(QFileDialog::DontUseNativeDialog));
        QVERIFY(!seen.options.testFlag(QFileDialog::DontConfirmOverwrite));
        QVERIFY(!seen.options.testFlag(QFileDialog::ReadOnly));
        QCOMPARE(seen.nameFilters, QStringList{kFilter});
        QCOMPARE(seen.fileName, QStringLiteral("parameters.tq4"));
        QCOMPARE(seen.defaultSuffix, QString());
        QCOMPARE(Entries(dir_->path()), QStringList());
    }

    // Sixteen files, file i holding 16i .. 16i + 15: every value 0..255 goes
    // out and comes back, in every one of its bytes.
    void saveThenOpenRestoresEveryValue() {
        CCalibDlg& dlg = *window_.dlg;
        for (int file = 0; file < 16; ++file) {
            PanelParams saved{};
            PanelParams other{};
            for (int k = 0; k < kParamCount; ++k) {
                saved[k] = 16 * file + k;
                other[k] = 255 - saved[k];
            }
            const QString path = dir_->filePath(QStringLiteral("set%1.tq4").arg(file));
            SetPanel(dlg, saved);
            ModalDriver driver;
            driver.TypeName(path);
            dlg.Command(CommandId::kFileSave)->trigger();
            QCOMPARE(driver.seen.size(), 1);

            SetPanel(dlg, other);
            driver.TypeName(path);
            dlg.Command(CommandId::kFileOpen)->trigger();
            QCOMPARE(driver.seen.size(), 2);
            QVERIFY2(PanelShows(dlg, saved), qPrintable(path));
            for (int k = 0; k < kParamCount; ++k) QCOMPARE(dlg.Spin(k)->Position(), saved[k]);
        }
    }

    // What the panel holds is written, including changes not yet sent.
    void savedFileIsSixtyFourLittleEndianBytes() {
        CCalibDlg& dlg = *window_.dlg;
        SetPanel(dlg, {1, 0, 0, 200, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 128, 255});
        const QString path = dir_->filePath(QStringLiteral("p.tq4"));
        ModalDriver driver;
        driver.TypeName(path);
        dlg.Command(CommandId::kFileSave)->trigger();
        const QByteArray bytes = ReadBytes(path);
        QCOMPARE(bytes.size(), 64);
        QCOMPARE(bytes.mid(12, 4), QByteArray::fromHex("C8000000"));
        QCOMPARE(bytes, LittleEndian({1, 0, 0, 200, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 128, 255}));
        QCOMPARE(Entries(dir_->path()), QStringList{QStringLiteral("p.tq4")});
    }

    void saveNames_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("written");
        QTest::newRow("a") << "a"
                           << "a.tq4";
        QTest::newRow("a.txt") << "a.txt"
                               << "a.txt.tq4";
        QTest::newRow("a.TQ4") << "a.TQ4"
                               << "a.TQ4.tq4";
        QTest::newRow("abc") << "abc"
                             << "abc.tq4";
        QTest::newRow("b.tq4") << "b.tq4"
                               << "b.tq4";
        QTest::newRow("tq4") << "tq4"
                             << "tq4.tq4";
    }

    // The name typed in the dialog, in the folder it shows.
    void saveNames() {
        QFETCH(QString, typed);
        QFETCH(QString, written);
        ModalDriver driver;
        driver.TypeName(typed, dir_->path());
        window_.dlg->Command(CommandId::kFileSave)->trigger();
        QCOMPARE(driver.seen.size(), 1);
        QCOMPARE(Entries(dir_->path()), QStringList{written});
        QCOMPARE(ReadBytes(dir_->filePath(written)).size(), 64);
    }

    // The dialog itself asks about the name chosen in it.
    void replacingTheChosenFileIsConfirmedByTheDialog() {
        CCalibDlg& dlg = *window_.dlg;
        const QString path = dir_->filePath(QStringLiteral("old.tq4"));
        const QByteArray old = LittleEndian({9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9});
        QVERIFY(WriteBytes(path, old));
        SetPanel(dlg, AllOf(7));

        {
            ModalDriver refuse;
            refuse.TypeName(path).Press(QMessageBox::No).Cancel();
            dlg.Command(CommandId::kFileSave)->trigger();
            QCOMPARE(refuse.seen.size(), 3);
            QVERIFY(refuse.seen.at(1).IsBox());
            QVERIFY(refuse.seen.at(1).text.contains(QStringLiteral("old.tq4")));
            QCOMPARE(ReadBytes(path), old);
        }
        ModalDriver accept;
        accept.TypeName(path).Press(QMessageBox::Yes);
        dlg.Command(CommandId::kFileSave)->trigger();
        QCOMPARE(accept.seen.size(), 2);
        QCOMPARE(ReadBytes(path), LittleEndian({7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7}));
    }

    // "old" becomes old.tq4, a name the dialog never asked about: we ask.
    void replacingAFileNamedByTheAppendedExtensionIsAsked() {
        CCalibDlg& dlg = *window_.dlg;
        const QString path = dir_->filePath(QStringLiteral("old.tq4"));
        const QByteArray old = LittleEndian({9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9});
        QVERIFY(WriteBytes(path, old));
        SetPanel(dlg, AllOf(7));

        {
            ModalDriver refuse;
            refuse.TypeName(dir_->filePath(QStringLiteral("old"))).Press(QMessageBox::No);
            dlg.Command(CommandId::kFileSave)->trigger();
            QCOMPARE(refuse.seen.size(), 2);
            const ModalDriver::Seen& question = refuse.seen.at(1);
            QVERIFY(question.IsBox());
            QCOMPARE(question.parent, &dlg);
            QCOMPARE(question.icon, QMessageBox::Question);
            QCOMPARE(question.buttons, QMessageBox::Yes | QMessageBox::No);
            QCOMPARE(question.defaultButton, QMessageBox::No);
            QVERIFY(question.text.contains(QStringLiteral("old.tq4")));
            QCOMPARE(ReadBytes(path), old);
            QCOMPARE(Entries(dir_->path()), QStringList{QStringLiteral("old.tq4")});
        }
        ModalDriver accept;
        accept.TypeName(dir_->filePath(QStringLiteral("old"))).Press(QMessageBox::Yes);
        dlg.Command(CommandId::kFileSave)->trigger();
        QCOMPARE(accept.seen.size(), 2);
        QCOMPARE(ReadBytes(path), LittleEndian({7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7}));
    }

    void saveThroughLinks_data() {
        QTest::addColumn<QStringList>("chain");
        QTest::addColumn<bool>("fileExists");
        QTest::newRow("link to a file") << QStringList{"link.tq4", "file.tq4"} << true;
        QTest::newRow("chain across folders") << QStringList{"a.tq4", "sub/b.tq4", "c.tq4"} << true;
        QTest::newRow("dangling link") << QStringList{"link.tq4", "new.tq4"} << false;
    }

    // The name typed first, each linking to the next by a path relative to
    // its own folder: the file at the end gets the set, the links stay.
    void saveThroughLinks() {
        QFETCH(QStringList, chain);
        QFETCH(bool, fileExists);
        const QDir dir(dir_->path());
        QVERIFY(dir.mkdir(QStringLiteral("sub")));
        for (qsizetype i = 0; i + 1 < chain.size(); ++i) {
            const QString link = dir.filePath(chain[i]);
            const QString target =
                QFileInfo(link).dir().relativeFilePath(dir.filePath(chain[i + 1]));
            QVERIFY(QFile::link(target, link));
        }
        const QString file = dir.filePath(chain.last());
        if (fileExists) QVERIFY(WriteBytes(file, LittleEndian({9, 9, 9})));
        SetPanel(*window_.dlg, AllOf(77));
        ModalDriver driver;
        driver.TypeName(dir.filePath(chain.first()));
        if (fileExists) driver.Press(QMessageBox::Yes);
        window_.dlg->Command(CommandId::kFileSave)->trigger();
        QCOMPARE(driver.seen.size(), fileExists ? 2 : 1);
        QCOMPARE(ReadBytes(file), QByteArray::fromHex(QByteArray("4D000000").repeated(16)));
        for (qsizetype i = 0; i + 1 < chain.size(); ++i) {
            QVERIFY2(QFileInfo(dir.filePath(chain[i])).isSymLink(), qPrintable(chain[i]));
        }
    }

    // Parameters 0 and 1 and the two low bytes of parameter 2 come from the
    // file; the rest keep what the panel had.
    void openTenBytes() {
        CCalibDlg& dlg = *window_.dlg;
        SetPanel(dlg, AllOf(200));
        const QString path = dir_->filePath(QStringLiteral("ten.tq4"));
        QVERIFY(WriteBytes(path, QByteArray::fromHex("05000000"
                                                     "06000000"
                                                     "0900")));
        ModalDriver driver;
        driver.TypeName(path);
        dlg.Command(CommandId::kFileOpen)->trigger();
        QCOMPARE(driver.seen.size(), 1);
        PanelParams expected = AllOf(200);
        expected[0] = 5;
        expected[1] = 6;
        expected[2] = 9;
        QVERIFY(PanelShows(dlg, expected));
    }

    void openEmptyFileChangesNothing() {
        CCalibDlg& dlg = *window_.dlg;
        SetPanel(dlg, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 255});
        const QString path = dir_->filePath(QStringLiteral("empty.tq4"));
        QVERIFY(WriteBytes(path, {}));
        ModalDriver driver;
        driver.TypeName(path);
        dlg.Command(CommandId::kFileOpen)->trigger();
        QCOMPARE(driver.seen.size(), 1);
        QVERIFY(PanelShows(dlg, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 255}));
    }

    // A value beyond the spin's range keeps its low 16 bits, read as signed,
    // then goes to the nearer end; that is what the panel then holds.
    void openValuesOutsideTheRange() {
        CCalibDlg& dlg = *window_.dlg;
        SetPanel(dlg, AllOf(50));
        const QString path = dir_->filePath(QStringLiteral("odd.tq4"));
        QVERIFY(WriteBytes(path, LittleEndian({-1, 256, 300, 65535, 65536 + 7, INT_MIN, INT_MAX, 0,
                                               255, 128, -256, 65536 + 120, 65536, 3, 4, 5})));
        ModalDriver driver;
        driver.TypeName(path);
        dlg.Command(CommandId::kFileOpen)->trigger();
        QVERIFY(PanelShows(dlg, {0, 255, 255, 0, 7, 0, 0, 0, 255, 128, 0, 120, 0, 3, 4, 5}));
    }

private:
    std::unique_ptr<QTemporaryDir> dir_;
    WindowFixture window_;
};

QTEST_MAIN(TestParamFiles)
#include "tst_paramfiles.moc"
