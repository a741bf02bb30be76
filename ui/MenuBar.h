// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <QHash>
#include <QMenuBar>
#include <vector>

#include "link/WindowOps.h"
#include "ports/core/PortEntry.h"

class QAction;
class QActionGroup;
class QMenu;
struct CurveTexts;
struct ObdTexts;
struct UiTexts;

// The window's menu: File (Open, Save, the session log's commands, the chart and the cell
// statistics, undo and redo and the curve editor, the OBD-II adapter's submenu, Exit),
// settings (the port submenu and the language submenu) and Help (the user manual, on F1 too, and
// About). Items are reached by command id, or by position where the window addresses them that way.
class MenuBar : public QMenuBar {
    Q_OBJECT

public:
    static constexpr int kFileTitle = 0;
    static constexpr int kSettingsTitle = 1;
    static constexpr int kHelpTitle = 2;
    static constexpr int kPortSubmenu = 0;
    static constexpr int kLanguageSubmenu = 1;
    static constexpr int kChinesePosition = 0;
    static constexpr int kEnglishPosition = 1;

    MenuBar(const UiTexts& texts, QWidget* parent = nullptr);

    // nullptr for an id the menu does not have.
    QAction* Command(int commandId) const { return commands_.value(commandId, nullptr); }
    QMenu* FileMenu() const { return fileMenu_; }
    QMenu* SettingsMenu() const { return settingsMenu_; }
    QMenu* PortMenu() const { return portMenu_; }
    QMenu* LanguageMenu() const { return languageMenu_; }
    QMenu* ObdMenu() const { return obdMenu_; }
    // Marks the OBD adapter's port (0 for none) and the fuel.
    void MarkObdPort(int port);
    void MarkFuel(bool petrol);
    void SetObdTexts(const ObdTexts& texts);
    QMenu* HelpMenu() const { return helpMenu_; }

    // The menu bar title at position 0, 1 or 2.
    QAction* Title(int position) const;
    // The item at a position of a menu, separators counted.
    static QAction* ItemAt(const QMenu* menu, int position);

    // The position in the port submenu of AUTO (0), OFFLINE (1) and COMn
    // (n + 2, after the separator).
    static int PortPosition(WindowOps::PortChoice choice);
    // The text of COMn's item in the port submenu.
    void SetPortLabel(int port, const QString& label);
    // Each present port's adapter or device beside its COM name, the other
    // items by their COM names alone.
    void ShowPortLabels(const std::vector<PortEntry>& ports);
    // Marks one item of the port submenu, by position, and clears the others.
    void SetPortRadioMark(int position);
    // Position of the marked port item, -1 when none is marked.
    int PortRadioMark() const;

private:
    QAction* AddCommand(QMenu* menu, int commandId, const QString& text);
    void AddHistoryCommands(const CurveTexts& texts);
    void BuildPortMenu();
    void BuildObdMenu(const ObdTexts& texts);

    QHash<int, QAction*> commands_;
    QMenu* fileMenu_;
    QMenu* settingsMenu_;
    QMenu* portMenu_;
    QMenu* languageMenu_;
    QMenu* obdMenu_;
    QMenu* helpMenu_;
    QActionGroup* portGroup_;
};
