// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// File > Open and File > Save when things go wrong: files that are no
// parameter set or cannot be read, and saves that cannot be completed. The
// tests must hold when run as root, whom permissions do not stop.
#include <fcntl.h>
#include <linux/fs.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "tests/support/ModalDriver.h"
#include "tests/support/PortTable.h"
#include "tests/support/PtyPair.h"
#include "tests/support/WindowFixture.h"
#include "tests/ui/ParamFileTestSupport.h"
#include "ui/ParamFileCommands.h"
#include "ui/UiTexts.h"

using namespace ParamFileTest;

namespace {
const PanelParams kPanel{3, 1, 4, 1, 5, 9, 2, 6, 5, 3, 5, 8, 9, 7, 9, 3};
const QByteArray kOldFile =
    LittleEndian({11, 22, 33, 44, 55, 66, 77, 88, 99, 111, 122, 133, 144, 155, 166, 177});

bool RunningAsRoot() {
    return ::geteuid() == 0;
}

// Lets no write take a file past a few bytes, root included; a write that
// goes further fails with "File too large" instead of killing the process.
// Put back on destruction.
class FileSizeLimit {
public:
    FileSizeLimit() = default;
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    ~FileSizeLimit() { Lift(); }

    void Impose() {
        if (imposed_) return;
        ::getrlimit(RLIMIT_FSIZE, &old_);
        oldHandler_ = ::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = old_;
        limit.rlim_cur = kBytes;
        imposed_ = ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }

    void Lift() {
        if (!imposed_) return;
        ::setrlimit(RLIMIT_FSIZE, &old_);
        ::signal(SIGXFSZ, oldHandler_);
        imposed_ = false;
    }

    bool Imposed() const { return imposed_; }

private:
    static constexpr rlim_t kBytes = 10;
    rlimit old_{};
    sighandler_t oldHandler_ = SIG_DFL;
    bool imposed_ = false;
};

// A listening local socket at path, for as long as it lives.
class LocalSocket {
public:
    explicit LocalSocket(const QString& path) : fd_(::socket(AF_UNIX, SOCK_STREAM, 0)) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray name = QFile::encodeName(path);
        qstrncpy(address.sun_path, name.constData(), sizeof(address.sun_path));
        bound_ = ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0 &&
                 ::listen(fd_, 1) == 0;
    }
    LocalSocket(const LocalSocket&) = delete;
    LocalSocket& operator=(const LocalSocket&) = delete;
    ~LocalSocket() { ::close(fd_); }
    bool Bound() const { return bound_; }

private:
    int fd_;
    bool bound_ = false;
};

// The immutable flag stops root too, where the file system has it.
bool SetImmutable(const QString& folder, bool immutable) {
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return false;
    int flags = 0;
    bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (done) {
        flags = immutable ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
        done = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(fd);
    return done;
}

// No new file can be made in the folder, by root either; its files stay
// writable. False if that cannot be arranged here.
bool LockFolder(const QString& folder) {
    if (RunningAsRoot()) {
        if (!SetImmutable(folder, true)) return false;
    } else if (!QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner)) {
        return false;
    }
    QFile probe(QDir(folder).filePath(QStringLiteral("probe")));
    return !probe.open(QIODevice::WriteOnly);
}

bool IsFifo(const QString& path) {
    struct stat status {};
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0 && S_ISFIFO(status.st_mode);
}
}  // namespace

class TestParamFileFailures : public QObject {
    Q_OBJECT

private slots:
    void init() {
        dir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(dir_->isValid());
        QVERIFY(window_.Open());
        window_.dlg->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.dlg.get()));
        window_.dlg->SetEditingEnabled(true);
        SetPanel(*window_.dlg, kPanel);
    }

    void cleanup() {
        SetImmutable(dir_->path(), false);
        QFile::setPermissions(dir_->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        window_.Close();
        dir_.reset();
    }

    void openRefusedWithABox_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QMessageBox::Icon>("icon");
        QTest::addColumn<QString>("says");
        QTest::newRow("65 bytes") << "65 bytes" << QMessageBox::Warning << "64 字节";
        QTest::newRow("4 KiB") << "4 KiB" << QMessageBox::Warning << "64 字节";
        // Opens, but reading its first bytes fails, for root too.
        QTest::newRow("read fails")
            << "read fails" << QMessageBox::Critical << "Input/output error";
        // These would hold the window for good if they were read.
        QTest::newRow("named pipe") << "named pipe" << QMessageBox::Warning << "一个命名管道";
        QTest::newRow("terminal") << "terminal" << QMessageBox::Warning << "一个设备";
        QTest::newRow("socket") << "socket" << QMessageBox::Warning << "一个套接字";
    }

    // A box owned by the window names the file and says why; the panel keeps
    // its values.
    void openRefusedWithABox() {
        QFETCH(QString, kind);
        QFETCH(QMessageBox::Icon, icon);
        QFETCH(QString, says);
        const PtyPair terminal;
        QString path = dir_->filePath(QStringLiteral("set.tq4"));
        std::unique_ptr<LocalSocket> socket;
        if (kind == QStringLiteral("65 bytes") || kind == QStringLiteral("4 KiB")) {
            QVERIFY(WriteBytes(path, QByteArray(kind == QStringLiteral("4 KiB") ? 4096 : 65, 1)));
        } else if (kind == QStringLiteral("read fails")) {
            path = QStringLiteral("/proc/self/mem");
        } else if (kind == QStringLiteral("named pipe")) {
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        } else if (kind == QStringLiteral("terminal")) {
            path = QString::fromStdString(terminal.SlavePath());
        } else {
            socket = std::make_unique<LocalSocket>(path);
            QVERIFY(socket->Bound());
        }
        ModalDriver driver;
        driver.TypeName(path).Press(QMessageBox::Ok);
        window_.dlg->Command(CommandId::kFileOpen)->trigger();
        QCOMPARE(driver.seen.size(), 2);
        const ModalDriver::Seen& box = driver.seen.at(1);
        QVERIFY(box.IsBox());
        QCOMPARE(box.parent, window_.dlg.get());
        QCOMPARE(box.icon, icon);
        QVERIFY2(box.text.contains(path), qPrintable(box.text));
        QVERIFY2(box.text.contains(says), qPrintable(box.text));
        QVERIFY(PanelShows(*window_.dlg, kPanel));
    }

    void openNothingToRead_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("missing") << QStringLiteral("missing");
        QTest::newRow("no read permission") << QStringLiteral("no permission");
    }

    // No message, nothing changes.
    void openNothingToRead() {
        QFETCH(QString, kind);
        const QString path = dir_->filePath(QStringLiteral("set.tq4"));
        if (kind == QStringLiteral("no permission")) {
            if (RunningAsRoot()) QSKIP("root reads any file");
            QVERIFY(WriteBytes(path, LittleEndian({1, 2, 3})));
            QVERIFY(QFile::setPermissions(path, {}));
        }
        ModalDriver driver;
        driver.TypeName(path);
        window_.dlg->Command(CommandId::kFileOpen)->trigger();
        QCOMPARE(driver.seen.size(), 1);
        QVERIFY(driver.seen.at(0).IsFileDialog());
        QVERIFY(PanelShows(*window_.dlg, kPanel));
    }

    // The dialog walks into a folder rather than returning it; a folder
    // reached another way is refused like the other things that are no file.
    void loadingAFolderIsRefused() {
        ModalDriver driver;
        driver.Press(QMessageBox::Ok);
        QVERIFY(!ParamFileCommands::Read(window_.dlg.get(), dir_->path(),
                                         window_.dlg->Session().Panel(), kChineseTexts.files));
        QCOMPARE(driver.seen.size(), 1);
        QCOMPARE(driver.seen.at(0).icon, QMessageBox::Warning);
        QVERIFY2(driver.seen.at(0).text.contains(QStringLiteral("一个文件夹")),
                 qPrintable(driver.seen.at(0).text));
        QVERIFY(PanelShows(*window_.dlg, kPanel));
    }

    // The write fails after the new file was begun (a file size limit that
    // binds root too): the old file stays byte for byte, no temporary is
    // left, and the box names the file and the reason.
    void saveCutShortKeepsTheOldFile() {
        const QString path = dir_->filePath(QStringLiteral("old.tq4"));
        QVERIFY(WriteBytes(path, kOldFile));
        FileSizeLimit limit;
        ModalDriver driver;
        driver.TypeName(path, {}, [&limit] { limit.Impose(); })
            .Press(QMessageBox::Yes)
            .Press(QMessageBox::Ok);
        window_.dlg->Command(CommandId::kFileSave)->trigger();
        const bool imposed = limit.Imposed();
        limit.Lift();
        QVERIFY(imposed);
        QCOMPARE(driver.seen.size(), 3);
        const ModalDriver::Seen& box = driver.seen.at(2);
        QVERIFY(box.IsBox());
        QCOMPARE(box.parent, window_.dlg.get());
        QCOMPARE(box.icon, QMessageBox::Critical);
        QVERIFY2(box.text.contains(path), qPrintable(box.text));
        QVERIFY2(box.text.contains(QStringLiteral("File too large")), qPrintable(box.text));
        QCOMPARE(ReadBytes(path), kOldFile);
        QCOMPARE(Entries(dir_->path()), QStringList{QStringLiteral("old.tq4")});
        QVERIFY(PanelShows(*window_.dlg, kPanel));
    }

    // No new file can be made beside the old one, by root either: it is
    // rewritten where it is.
    void saveIntoLockedFolderWritesInPlace() {
        const QString path = dir_->filePath(QStringLiteral("old.tq4"));
        QVERIFY(WriteBytes(path, kOldFile));
        if (!LockFolder(dir_->path())) QSKIP("no way here to lock a folder against this user");
        ModalDriver driver;
        driver.TypeName(path).Press(QMessageBox::Yes);
        window_.dlg->Command(CommandId::kFileSave)->trigger();
        QCOMPARE(driver.seen.size(), 2);
        QCOMPARE(ReadBytes(path), LittleEndian({3, 1, 4, 1, 5, 9, 2, 6, 5, 3, 5, 8, 9, 7, 9, 3}));
        QCOMPARE(Entries(dir_->path()), QStringList{QStringLiteral("old.tq4")});
    }

    // The same, with the write cut short past a few bytes: the five old bytes
    // are put back, and the box says why the file was written in place.
    void saveInPlaceCutShortPutsTheOldFileBack() {
        const QString path = dir_->filePath(QStringLiteral("old.tq4"));
        const QByteArray old("\x09\x08\x07\x06\x05", 5);
        QVERIFY(WriteBytes(path, old));
        if (!LockFolder(dir_->path())) QSKIP("no way here to lock a folder against this user");
        FileSizeLimit limit;
        ModalDriver driver;
        driver.TypeName(path, {}, [&limit] { limit.Impose(); })
            .Press(QMessageBox::Yes)
            .Press(QMessageBox::Ok);
        window_.dlg->Command(CommandId::kFileSave)->trigger();
        limit.Lift();
        QCOMPARE(driver.seen.size(), 3);
        const ModalDriver::Seen& box = driver.seen.at(2);
        QCOMPARE(box.icon, QMessageBox::Critical);
        for (const char* says : {"File too large", "文件夹不可写入", "原有内容已恢复"}) {
            QVERIFY2(box.text.contains(path) && box.text.contains(QString::fromUtf8(says)),
                     qPrintable(box.text));
        }
        QCOMPARE(ReadBytes(path), old);
        QCOMPARE(Entries(dir_->path()), QStringList{QStringLiteral("old.tq4")});
    }

    void saveWhereNoFileCanBeMade_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("says");
        // Inside something that is not a folder.
        QTest::newRow("parent is a file") << "plain/set.tq4"
                                          << "plain/set.tq4"
                                          << "Not a directory";
        // "folder" becomes folder.tq4, which is a folder.
        QTest::newRow("name is a folder") << "folder"
                                          << "folder.tq4"
                                          << "一个文件夹";
    }

    void saveWhereNoFileCanBeMade() {
        QFETCH(QString, typed);
        QFETCH(QString, target);
        QFETCH(QString, says);
        QVERIFY(WriteBytes(dir_->filePath(QStringLiteral("plain")), kOldFile));
        QVERIFY(QDir(dir_->path()).mkdir(QStringLiteral("folder.tq4")));
        ModalDriver driver;
        driver.TypeName(dir_->filePath(typed)).Press(QMessageBox::Ok);
        window_.dlg->Command(CommandId::kFileSave)->trigger();
        QCOMPARE(driver.seen.size(), 2);
        const ModalDriver::Seen& box = driver.seen.at(1);
        QCOMPARE(box.icon, QMessageBox::Critical);
        QVERIFY2(box.text.contains(dir_->filePath(target)) && box.text.contains(says),
                 qPrintable(box.text));
        QCOMPARE(ReadBytes(dir_->filePath(QStringLiteral("plain"))), kOldFile);
        QCOMPARE(Entries(dir_->path()),
                 (QStringList{QStringLiteral("folder.tq4"), QStringLiteral("plain")}));
        QCOMPARE(Entries(dir_->filePath(QStringLiteral("folder.tq4"))), QStringList());
    }

    void saveOverWhatIsNoFile_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("says");
        QTest::newRow("named pipe") << "pipe.tq4"
                                    << "一个命名管道";
        QTest::newRow("link to a named pipe") << "to pipe.tq4"
                                              << "一个命名管道";
        QTest::newRow("link to a terminal") << "to terminal.tq4"
                                            << "一个设备";
        QTest::newRow("socket") << "socket.tq4"
                                << "一个套接字";
    }

    // Nothing is written and nothing replaced, the links included.
    void saveOverWhatIsNoFile() {
        QFETCH(QString, typed);
        QFETCH(QString, says);
        const QDir dir(dir_->path());
        const PtyPair terminal;
        QCOMPARE(::mkfifo(QFile::encodeName(dir.filePath(QStringLiteral("pipe.tq4"))), 0600), 0);
        QVERIFY(
            QFile::link(QStringLiteral("pipe.tq4"), dir.filePath(QStringLiteral("to pipe.tq4"))));
        const QString device = QString::fromStdString(terminal.SlavePath());
        QVERIFY(QFile::link(device, dir.filePath(QStringLiteral("to terminal.tq4"))));
        const LocalSocket socket(dir.filePath(QStringLiteral("socket.tq4")));
        QVERIFY(socket.Bound());
        const QStringList before = Entries(dir.path());
        ModalDriver driver;
        driver.TypeName(dir.filePath(typed)).Press(QMessageBox::Yes).Press(QMessageBox::Ok);
        window_.dlg->Command(CommandId::kFileSave)->trigger();
        QCOMPARE(driver.seen.size(), 3);
        const ModalDriver::Seen& box = driver.seen.at(2);
        QCOMPARE(box.icon, QMessageBox::Critical);
        QVERIFY2(box.text.contains(dir.filePath(typed)) && box.text.contains(says),
                 qPrintable(box.text));
        QCOMPARE(Entries(dir.path()), before);
        QVERIFY(IsFifo(dir.filePath(QStringLiteral("pipe.tq4"))));
        QCOMPARE(QFileInfo(dir.filePath(QStringLiteral("to pipe.tq4"))).symLinkTarget(),
                 dir.filePath(QStringLiteral("pipe.tq4")));
        QCOMPARE(QFileInfo(dir.filePath(QStringLiteral("to terminal.tq4"))).symLinkTarget(),
                 device);
        QVERIFY(QFileInfo(dir.filePath(QStringLiteral("socket.tq4"))).exists());
    }

private:
    std::unique_ptr<QTemporaryDir> dir_;
    WindowFixture window_;
};

QTEST_MAIN(TestParamFileFailures)
#include "tst_paramfilefailures.moc"
