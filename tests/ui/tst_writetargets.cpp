// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// The program's own files, each made a symbolic link to a device node (a way
// to switch a file off, /dev/null say) while the program runs as root: no
// write replaces the node, the link stays, and the refusal is told. The node is a copy made
// with mknod in a temporary folder, so only root can run these.
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "ports/AdapterMemory.h"
#include "session/RecoveryFiles.h"
#include "session/SessionLogger.h"

namespace {
// The numbers of /dev/null.
constexpr unsigned kNullMajor = 1;
constexpr unsigned kNullMinor = 3;

bool IsCharacterDevice(const QString& path) {
    struct stat status {};
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 && S_ISCHR(status.st_mode);
}
}  // namespace

class TestWriteTargets : public QObject {
    Q_OBJECT

private slots:
    void init() {
        home_ = std::make_unique<QTemporaryDir>();
        QVERIFY(home_->isValid());
        node_ = home_->filePath(QStringLiteral("null"));
        if (::mknod(QFile::encodeName(node_).constData(), S_IFCHR | 0666,
                    makedev(kNullMajor, kNullMinor)) != 0) {
            QSKIP("making a device node needs root");
        }
        qputenv("XDG_DATA_HOME", home_->path().toUtf8());
        folder_ = home_->filePath(QCoreApplication::applicationName());
        QVERIFY(QDir().mkpath(folder_));
    }

    void recoveryFiles_data() {
        QTest::addColumn<QString>("linked");
        QTest::newRow("stored set") << "stored-set.tq4";
        QTest::newRow("panel") << "unstored-panel.tq4";
    }

    void recoveryFiles() {
        QFETCH(QString, linked);
        const QString link = QDir(folder_).filePath(linked);
        QVERIFY(QFile::link(node_, link));
        RecoveryFiles files;
        QSignalSpy failed(&files, &RecoveryFiles::writeFailed);
        UnstoredRecord record{};
        record.panel[3] = 41;
        files.Follow(record);
        QVERIFY(failed.wait(1000));
        QVERIFY2(failed.at(0).at(0).toString().contains(QStringLiteral("not a regular file")),
                 qPrintable(failed.at(0).at(0).toString()));
        QVERIFY(IsCharacterDevice(node_));
        QVERIFY(QFileInfo(link).isSymLink());
    }

    // The remembered adapter and the log switch share the settings file.
    void settings() {
        qputenv("XDG_CONFIG_HOME", home_->path().toUtf8());
        const QString link = home_->filePath(QStringLiteral("dx470/dx470.conf"));
        QVERIFY(QDir().mkpath(QFileInfo(link).path()));
        QVERIFY(QFile::link(node_, link));
        const AdapterMemory memory(link);
        const std::optional<QString> refusal = memory.Save(AdapterIdentity{});
        QVERIFY(refusal.has_value());
        QVERIFY(refusal->contains(QStringLiteral("a device")));

        SessionLogger logger;
        QSignalSpy notSaved(&logger, &SessionLogger::settingsNotSaved);
        logger.SetEnabled(false, PanelParams{});
        QCOMPARE(notSaved.size(), 1);
        QVERIFY(!logger.Enabled());
        QVERIFY(IsCharacterDevice(node_));
        QVERIFY(QFileInfo(link).isSymLink());
    }

private:
    std::unique_ptr<QTemporaryDir> home_;
    QString node_;
    QString folder_;
};

QTEST_GUILESS_MAIN(TestWriteTargets)
#include "tst_writetargets.moc"
