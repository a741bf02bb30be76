// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <QTextStream>

#include "ctl/CommandLine.h"

// dx470ctl's commands; each returns the exit status (ctl/ExitCodes.h).
namespace Commands {

int Ports(QTextStream& out, QTextStream& err);
int Read(const CtlCommand& command, QTextStream& out, QTextStream& err);
int Write(const CtlCommand& command, QTextStream& out, QTextStream& err);
int Log(const CtlCommand& command, QTextStream& out, QTextStream& err);
int Monitor(const CtlCommand& command, QTextStream& out, QTextStream& err);
int Convert(const CtlCommand& command, QTextStream& out, QTextStream& err);

}  // namespace Commands
