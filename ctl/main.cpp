// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// dx470ctl: the calibration session on the command line, for workshops.
#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>

#include "ctl/CommandLine.h"
#include "ctl/Commands.h"
#include "ctl/ExitCodes.h"

namespace {
constexpr char kVersion[] = "2";

int Run(const CtlCommand& command, QTextStream& out, QTextStream& err) {
    using Kind = CtlCommand::Kind;
    switch (command.kind) {
        case Kind::Help:
            out << QString::fromStdString(HelpText());
            return ExitCode::kDone;
        case Kind::Version:
            out << "dx470ctl " << kVersion << Qt::endl;
            return ExitCode::kDone;
        case Kind::Ports:
            return Commands::Ports(out, err);
        case Kind::Read:
            return Commands::Read(command, out, err);
        case Kind::Write:
            return Commands::Write(command, out, err);
        case Kind::Log:
            return Commands::Log(command, out, err);
        case Kind::Monitor:
            return Commands::Monitor(command, out, err);
        case Kind::Convert:
            return Commands::Convert(command, out, err);
    }
    return ExitCode::kUsage;
}
}  // namespace

int main(int argc, char* argv[]) {
    std::vector<std::string> arguments(argv + 1, argv + argc);
    QTextStream out(stdout);
    QTextStream err(stderr);
    // The manual page is made at build time from the help's own table.
    if (arguments.size() == 1 && arguments[0] == "--man-page") {
        out << QString::fromStdString(ManPage(kVersion));
        return ExitCode::kDone;
    }
    const ParsedCommandLine parsed = ParseCommandLine(arguments);
    if (!parsed.command) {
        err << "dx470ctl: " << QString::fromStdString(parsed.error) << Qt::endl
            << "Try 'dx470ctl --help' for more information." << Qt::endl;
        return ExitCode::kUsage;
    }
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("dx470"));
    return Run(*parsed.command, out, err);
}
