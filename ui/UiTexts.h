// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <array>

// What a screen reader says for the parts of the window that show no text of
// their own: a label or button is named by the text it shows. In the texts of
// the parameter row "%1" stands for the parameter's number, 0..15.
struct AccessibleTexts {
    const char* petrolReadout;
    const char* petrolBar;
    const char* gasReadout;
    const char* gasBar;
    const char* lambdaReadout;
    const char* lambdaBar;
    const char* paramEdit;
    const char* paramSpin;
    const char* increaseParam;
    const char* decreaseParam;
    const char* cellMarker;
    const char* serialControl;
    const char* menuBar;
    const char* statusBar;
    // What each status pane is, read beside what it shows: the session log's
    // messages, link status, connection time.
    std::array<const char*, 3> statusPanes;
};

// The session log's menu items, status messages and replay window. In the
// messages %1 and %2 stand for a file's name and the system's reason.
struct LogTexts {
    const char* replayItem;
    const char* logFilter;
    const char* markItem;
    const char* folderItem;
    const char* recordItem;
    const char* stopped;
    const char* markAdded;
    const char* folderFailed;
    // The replay window.
    const char* replayCaption;
    const char* normalSpeed;
    const char* fastSpeed;
    const char* pause;
    const char* endReplay;
    // A log that cannot be replayed, and why.
    const char* replayRefused;
    const char* cannotOpen;
    const char* notAFile;
    const char* tooLarge;
    const char* notALog;
    const char* noFrames;
    // A long log being read for a replay: "%1" the file's name.
    const char* reading;
    const char* cancelReading;
    // The replay window's line on rows the log held that were skipped, one
    // line a reason; "%1" the count.
    const char* skippedUnreadable;
    const char* skippedTooLong;
    const char* skippedBackwards;
    // The replay window's CSV export: the button, the file dialog's filter,
    // and why no CSV was written ("%1" names the file and says why).
    const char* exportCsv;
    const char* csvFilter;
    const char* csvNotWritten;
};

// The texts about changes the controller has not stored. "%1" stands for how
// many parameters unless said otherwise, "%2" for the date and time of an
// earlier run's last change.
struct UnstoredTexts {
    const char* markName;  // what a screen reader says for the mark; "%1" the parameter
    const char* notStored;
    const char* cannotWriteNow;
    const char* writeAndContinue;
    const char* continueWithoutWriting;
    const char* continueAnyway;
    const char* cancel;
    const char* restoreQuestion;
    const char* restore;
    const char* discard;
    const char* cannotKeep;  // "%1": the file and the system's reason
    // "Write and continue" that did not finish.
    const char* notWrittenLinkLost;
    const char* notWrittenInTime;
    // A record made on another controller: %1 and %2 as in restoreQuestion.
    const char* restoreOtherQuestion;
    const char* keepForLater;
    // A damaged record set aside; "%1" the name it now has.
    const char* recordSetAside;
    // The link came back with another controller: "%1" the parameters that
    // differ; the panel is kept in the file "%1" of panelKept, or could not
    // be for the reason "%1" of panelNotKept.
    const char* otherController;
    const char* panelKept;
    const char* panelNotKept;
    const char* loadItsValues;
    const char* sendPanelValues;
};

// The parameter files' boxes. %1 is the file, %2 the system's reason or what
// the path is (one of the kinds), %3 what became of the old contents.
struct FileTexts {
    const char* tooLong;  // %2: the size of a parameter file
    const char* readFailed;
    const char* notAFileLoad;
    const char* saveFailed;
    const char* notAFileSave;
    const char* inPlaceFailed;
    const char* oldContentsRestored;
    const char* oldContentsLost;
    // What a path is: folder, named pipe, device, socket, anything else.
    std::array<const char*, 5> kinds;
    // The settings file was left alone; "%1": the file and why.
    const char* settingsNotSaved;
};

// A serial channel operation that failed: %1 the device, %2 the system's
// reason; a hint may follow on a line of its own.
struct ChannelTexts {
    const char* alreadyOpen;
    const char* cannotOpen;
    const char* cannotConfigure;
    const char* joinDialout;
    const char* inUse;
};

// The chart and the cell statistics: their menu items, windows and what they
// show. In the suggestions %1 stands for the signed step count.
struct AnalysisTexts {
    const char* chartItem;
    const char* cellsItem;
    const char* chartCaption;
    const char* cellsCaption;
    // The chart's traces from the top: lambda, petrol, gas, cell.
    std::array<const char*, 4> traces;
    // Its traces of the petrol ECU's readings: short-term, long-term and total
    // trim, engine speed, coolant, load.
    std::array<const char*, 6> obdTraces;
    const char* paused;
    // The table's columns: cell, samples, share of time, mean voltage, the
    // three bands' shares, suggestion.
    std::array<const char*, 8> columns;
    const char* tooFewSamples;
    const char* notSwitching;
    const char* balanced;
    const char* richer;
    const char* leaner;
    const char* apply;
};

// The panel's history and the curve editor: menu items, the editor's window,
// its controls and what it tells. %1 and %2 as each text says.
struct CurveTexts {
    const char* undoItem;
    const char* redoItem;
    const char* curveItem;
    const char* caption;
    // The curve's accessible name and description, and a point's name: %1 the
    // cell, %2 its value, %3 its petrol-time range.
    const char* curveName;
    const char* curveDescription;
    const char* pointName;
    const char* selectedPoint;
    // The axes: petrol time at the start of each cell, and the parameter.
    const char* petrolAxis;
    const char* valueAxis;
    // The legend: the panel, the stored set, a file's set (%1 its name).
    const char* panelLegend;
    const char* storedLegend;
    const char* fileLegend;
    // The operations' amount and their buttons.
    const char* amount;
    const char* set;
    const char* add;
    const char* subtract;
    const char* scale;
    const char* interpolate;
    const char* smooth;
    const char* copy;
    const char* copyAll;
    const char* paste;
    const char* undo;
    const char* redo;
    const char* compareFile;
    const char* selectAll;
    // What a paste, a copy or a comparison tells.
    const char* pasteEmpty;
    const char* pasteNotANumber;
    const char* pasteOutOfRange;
    const char* pasteTooMany;
    const char* pastePastEnd;
    const char* pasteDone;
    const char* copied;
    const char* notEditable;
};

// The tune history: its menu item, window, the difference report and what
// they tell. %1 and %2 as each text says.
struct HistoryTexts {
    const char* historyItem;
    const char* caption;
    const char* search;
    const char* allControllers;
    // The points' columns: time, cause, controller, note.
    std::array<const char*, 4> columns;
    // The causes in the order of RestoreCause.
    std::array<const char*, 7> causes;
    const char* controllerNote;
    const char* pointNote;
    const char* saveNote;
    // The report's columns: parameter, petrol time, restore from, compared
    // with, difference.
    std::array<const char*, 5> reportColumns;
    // What the report compares: %1 a point ("12, 08:31, store"), %2 the
    // other side.
    const char* pointAgainst;
    const char* thePanel;
    const char* theStoredSet;
    const char* theController;
    const char* aFile;
    const char* controllerAgainstFile;
    const char* panelAgainstStored;
    const char* restoreAll;
    const char* restoreChosen;
    const char* noDifference;
    const char* restored;
    const char* notEditable;
    // What could not be read or written.
    const char* notAnIndex;
    const char* damagedLine;
    const char* notASet;
    const char* missingSet;
    const char* pointNotKept;
    const char* sidecarNotWritten;
};

// The link health window: its menu item, the figures' names, and the hints
// in the order of LinkHint. %1 and %2 as each text says.
struct LinkHealthTexts {
    const char* healthItem;
    const char* caption;
    const char* framesPerSecond;
    const char* bytesRead;
    const char* framesTaken;
    const char* bytesDiscarded;
    const char* linkLosses;
    const char* resends;
    const char* echoLatency;
    // %1 the median, %2 the worst, in ms.
    const char* latencyValue;
    const char* noEcho;
    const char* hintsTitle;
    const char* noHint;
    // The adapter's latency timer (%1 ms); bytes without frames (%1 s);
    // the port busy; the port denied.
    std::array<const char*, 4> hints;
    const char* closeButton;
};

// The OBD-II adapter: its submenu in the settings menu, the fuel, the trims'
// table in the cell statistics window and the link's states. %1 and %2 as
// each text says.
struct ObdTexts {
    const char* submenu;
    const char* offItem;
    const char* petrolItem;
    const char* gasItem;
    // %1 the COM port the controller is on.
    const char* controllersPort;
    const char* trimsTitle;
    // The trims table's columns: cell, petrol trims, gas trims, gas trims'
    // spread, suggestion.
    std::array<const char*, 5> columns;
    // %1 the mean trim in percent, %2 the samples.
    const char* trimValue;
    const char* onPetrol;
    const char* onGas;
    // In the order of ObdLink::State: %1 the COM port, %2 the adapter.
    std::array<const char*, 11> states;
};

// Every text of the window that changes with the interface language, one table
// per language. Texts that stay the same in both languages (port items, status
// texts, message boxes, About box) live with their users.
struct UiTexts {
    const char* writeButton;
    const char* exitButton;
    // Menu bar titles by position: File, settings, Help.
    std::array<const char*, 3> menuTitles;
    const char* portSubmenu;
    const char* languageSubmenu;
    const char* fileOpen;
    const char* fileSave;
    const char* fileExit;
    const char* helpManual;
    const char* helpAbout;
    const char* petrolLabel;
    const char* gasLabel;
    const char* lambdaLabel;
    const char* paramRowLabel;
    const char* caption;
    // The user manual's window and its page in the resources.
    const char* manualCaption;
    const char* manualClose;
    const char* manualPage;
    AccessibleTexts accessible;
    LogTexts log;
    UnstoredTexts unstored;
    AnalysisTexts analysis;
    FileTexts files;
    ChannelTexts channel;
    CurveTexts curve;
    HistoryTexts history;
    LinkHealthTexts linkHealth;
    ObdTexts obd;
};

inline constexpr UiTexts kChineseTexts{
    "写入参数",
    "退  出",
    {"文件(&F)", "设置(&T)", "帮助(&H)"},
    "通讯端口",
    "语言设置",
    "打开(&O)",
    "保存(&S)",
    "退出(&X)",
    "使用说明(&M)\tF1",
    "关于(&A)",
    " 喷油时间(ms)",
    " 喷气时间(ms)",
    "氧传感器(V)",
    "设 置",
    "DX470 参数标定软件",
    // The user manual.
    "DX470 使用说明",
    "关闭",
    "qrc:/help/manual-zh.html",
    {
        "喷油时间(毫秒)",
        "喷油时间条",
        "喷气时间(毫秒)",
        "喷气时间条",
        "氧传感器电压(伏)",
        "氧传感器电压条",
        "参数 %1",
        "参数 %1 调节按钮",
        "增大参数 %1",
        "减小参数 %1",
        "单元标记 %1",
        "串口",
        "菜单栏",
        "状态栏",
        {"消息栏", "连接状态", "连接时间"},
    },
    {
        "回放日志(&R)...",
        "DX470 日志 (*.msl)",
        "添加标记(&K)\tF2",
        "打开日志文件夹(&L)",
        "记录日志(&G)",
        "日志已停止：无法写入 %1（%2）",
        "已添加标记 %1",
        "无法打开文件夹 %1",
        "日志回放",
        "1×",
        "4×",
        "暂停",
        "结束回放",
        "无法回放 %1：\n%2",
        "无法打开该文件。",
        "这不是普通文件。",
        "文件太大。",
        "这不是 DX470 日志文件。",
        "日志中没有数据行。",
        "正在读取 %1...",
        "取消",
        "跳过的行（无法识别）：%1",
        "跳过的行（行太长）：%1",
        "跳过的行（时间倒退）：%1",
        "导出 CSV...",
        "CSV 文件 (*.csv)",
        "无法写入 CSV 文件：\n%1",
    },
    {
        "参数 %1 未写入",
        "有 %1 个参数已修改，但尚未写入控制器。",
        "现在没有连接控制器，无法写入。",
        "写入并继续",
        "不写入，继续",
        "继续",
        "取消",
        "恢复 %2 未写入控制器的 %1 项修改吗？",
        "恢复",
        "不恢复",
        "无法保存未写入的修改，程序意外结束时将无法恢复：\n%1",
        "修改没有写入控制器：与控制器的连接已断开。",
        "修改没有写入控制器：控制器没有及时确认。",
        "%2 未写入控制器的 %1 "
        "项修改是在另一台控制器上做的，不是现在连接的这一台。要把它们恢复到这一台吗？",
        "保留，以后再说",
        "上次运行留下的未写入修改记录已损坏，已另存为 %1",
        "现在连接的控制器不是面板参数所属的那一台（另一辆车，或已被其他工具修改）：参数 %1 "
        "与它存储的值不同。\n尚未向它发送任何数据。",
        "面板现在的参数已保存在 %1。",
        "面板现在的参数无法保存（%1）。",
        "将它的参数载入面板",
        "将面板参数发送给它",
    },
    {
        "曲线图(&C)...",
        "单元统计(&U)...",
        "DX470 曲线图",
        "DX470 单元统计",
        {"氧传感器(V)", "喷油时间(ms)", "喷气时间(ms)", "单元"},
        {"短期燃油修正", "长期燃油修正", "总燃油修正", "发动机转速", "冷却液温度", "负荷"},
        "已暂停（空格键继续）",
        {"单元", "样本数", "时间占比", "平均电压(V)", "稀", "中", "浓", "建议"},
        "样本不足",
        "传感器未切换",
        "平衡",
        "%1 调浓",
        "%1 调稀",
        "应用",
    },
    {
        "无法载入 %1：\n文件长于 %2 字节，不是参数文件。",
        "无法载入 %1：\n%2",
        "无法载入 %1：\n这是%2，不是普通文件。",
        "无法保存 %1：\n%2",
        "无法保存 %1：\n这是%2，不是普通文件。",
        "无法保存 %1：\n%2\n文件夹不可写入，只能在原处改写该文件；%3",
        "原有内容已恢复。",
        "原有内容未能恢复。",
        {"一个文件夹", "一个命名管道", "一个设备", "一个套接字", "一个特殊文件"},
        "设置未保存：%1",
    },
    {
        "端口已经打开。",
        "无法打开 %1：%2",
        "无法在 %1 上设置 9600,N,8,1：%2",
        "\n您的用户无权使用串口：请把它加入 dialout 组（sudo adduser $USER "
        "dialout），然后重新登录。",
        "\n该端口正被其他程序使用。请关闭那个程序，或选择其他端口。",
    },
    {
        "撤销(&Z)",
        "重做(&Y)",
        "曲线编辑(&V)...",
        "参数曲线",
        "参数曲线",
        "十六个单元的参数，按喷油时间排列。左右方向键移动选择，Shift "
        "扩展选择，加号和减号调整所选参数。",
        "单元 %1：%2，喷油时间 %3",
        "单元 %1：%2，喷油时间 %3，已选",
        "喷油时间 (ms)",
        "参数",
        "面板",
        "已存储",
        "文件 %1",
        "数值",
        "设为",
        "加",
        "减",
        "按 % 缩放",
        "线性插值",
        "平滑",
        "复制",
        "全部复制",
        "粘贴",
        "撤销",
        "重做",
        "与文件比较(&F)...",
        "全选",
        "剪贴板中没有数值。",
        "无法粘贴：第 %1 项“%2”不是整数。",
        "无法粘贴：第 %1 项 %2 不在 0 到 255 之间。",
        "无法粘贴：剪贴板中的数值超过十六个。",
        "无法粘贴：从单元 %1 起放不下 %2 个数值。",
        "已粘贴 %1 个数值。",
        "已复制 %1 个数值。",
        "未连接控制器，参数不能修改。",
    },
    {
        "调校记录(&H)...",
        "调校记录",
        "搜索备注",
        "全部控制器",
        {"时间", "原因", "控制器", "备注"},
        {"连接", "存储", "载入文件", "回放", "单元统计应用", "另一台控制器", "恢复"},
        "控制器备注（车辆、发动机、套件、所做工作）",
        "记录点备注",
        "保存备注",
        {"参数", "喷油时间", "恢复来源", "对照", "差值"},
        "%1 对照 %2",
        "面板",
        "已存储参数",
        "控制器",
        "文件 %1",
        "控制器对照文件(&F)...",
        "面板对照已存储参数",
        "全部恢复",
        "恢复所选参数",
        "没有不同的参数。",
        "已把 %1 个参数放入面板。",
        "未连接控制器，参数不能修改。",
        "%1：不是调校记录索引，未读取。",
        "%1：第 %2 行已损坏，已跳过。",
        "%1：不是完整的参数文件，已跳过。",
        "%1：文件不存在，该记录点已跳过。",
        "记录点未能保存：%1",
        "备注未能写在参数文件旁：%1",
    },
    {
        "链路状况(&N)...",
        "链路状况",
        "每秒帧数",
        "已读字节",
        "已收帧数",
        "丢弃字节",
        "断线次数",
        "重发次数",
        "回显延迟",
        "中位 %1 ms，最长 %2 ms",
        "尚无回显",
        "提示",
        "无。",
        {"适配器的延迟计时器为 %1 ms：帧和回显会迟到并成批到达。请把它的 latency_timer 设为 1。",
         "已收到 %1 秒的字节，却没有控制器的帧：这可能不是控制器，或线路不是 9600 波特。",
         "端口无法打开：另一个程序正在使用它。请关闭该程序，或选择其他端口。",
         "端口无法打开：当前用户无权使用串口。请把用户加入 dialout 组，然后重新登录。"},
        "关闭",
    },
    {
        "OBD-II 适配器",
        "不使用",
        "发动机使用汽油",
        "发动机使用燃气",
        "%1 是控制器的端口，不能同时用于 OBD-II 适配器。",
        "OBD-II 燃油修正（短期 + 长期，汽油 ECU）",
        {"单元", "汽油时修正", "燃气时修正", "燃气离散", "按修正建议"},
        "%1 %（%2）",
        "当前燃料：汽油",
        "当前燃料：燃气",
        {"OBD-II：未使用", "OBD-II：%1 不存在", "OBD-II：%1 被其他程序占用",
         "OBD-II：无权使用 %1（dialout 组）", "OBD-II：%1 上没有适配器应答",
         "OBD-II：正在启动 %1 上的适配器", "OBD-II：%1，%2，读取中",
         "OBD-II：%1，%2，ECU 无数据（点火开关或发动机未开？）", "OBD-II：%1，%2，找不到总线或 ECU",
         "OBD-II：%1 的应答无法识别（不是 OBD 适配器？）", "OBD-II：%1 已断开，等待重新连接"},
    },
};

inline constexpr UiTexts kEnglishTexts{
    "Write",
    "Exit",
    {"File(&F)", "Tools(&T)", "Help(&H)"},
    "Com",
    "Language",
    "Open(&O)",
    "Save(&S)",
    "Exit(&X)",
    "User manual(&M)\tF1",
    "About(&A)",
    "Pet(ms)",
    "Gas(ms)",
    "Lambda(V)",
    "Config",
    "DX470 Model Set",
    // The user manual.
    "DX470 user manual",
    "Close",
    "qrc:/help/manual-en.html",
    {
        "Petrol injection time (ms)",
        "Petrol injection time bar",
        "Gas injection time (ms)",
        "Gas injection time bar",
        "Lambda sensor voltage (V)",
        "Lambda sensor voltage bar",
        "Parameter %1",
        "Parameter %1 arrows",
        "Increase parameter %1",
        "Decrease parameter %1",
        "Cell marker %1",
        "Serial port",
        "Menu bar",
        "Status bar",
        {"Messages", "Link status", "Connection time"},
    },
    {
        "Replay log(&R)...",
        "DX470 logs (*.msl)",
        "Add mark(&K)\tF2",
        "Open log folder(&L)",
        "Record logs(&G)",
        "Logging stopped: cannot write %1 (%2)",
        "Mark %1 added",
        "Cannot open the folder %1",
        "Log replay",
        "1×",
        "4×",
        "Pause",
        "End replay",
        "Cannot replay %1:\n%2",
        "The file cannot be opened.",
        "This is not a regular file.",
        "The file is too large.",
        "This is not a DX470 log.",
        "The log holds no frames.",
        "Reading %1...",
        "Cancel",
        "Rows skipped (unreadable): %1",
        "Rows skipped (too long): %1",
        "Rows skipped (time runs backwards): %1",
        "Export CSV...",
        "CSV files (*.csv)",
        "Cannot write the CSV file:\n%1",
    },
    {
        "Parameter %1 not stored",
        "Parameters changed but not stored in the controller: %1.",
        "There is no link to the controller: they cannot be written now.",
        "Write and continue",
        "Continue without writing",
        "Continue",
        "Cancel",
        "Restore the %1 unstored changes from %2?",
        "Restore",
        "Discard",
        "The unstored changes cannot be kept for recovery after a crash:\n%1",
        "The changes were not written to the controller: the link was lost.",
        "The changes were not written to the controller: it did not confirm them in time.",
        "The %1 unstored changes from %2 were made on another controller, not on the one "
        "now linked. Restore them into this one?",
        "Keep for later",
        "The record of unstored changes left by an earlier run is damaged; it was set aside as %1",
        "The controller now linked is not the one the panel was made for (another car, or "
        "changed by another tool): parameters %1 differ from the values it stored.\nNothing "
        "has been sent to it.",
        "The panel's values are kept in %1.",
        "The panel's values could not be kept (%1).",
        "Load its values into the panel",
        "Send the panel's values to it",
    },
    {
        "Chart(&C)...",
        "Cell statistics(&U)...",
        "DX470 chart",
        "DX470 cell statistics",
        {"Lambda(V)", "Pet(ms)", "Gas(ms)", "Cell"},
        {"Short-term trim", "Long-term trim", "Total trim", "Engine speed", "Coolant", "Load"},
        "Paused (Space resumes)",
        {"Cell", "Samples", "Time", "Mean(V)", "Lean", "Middle", "Rich", "Suggestion"},
        "too few samples",
        "sensor not switching",
        "balanced",
        "%1 richer",
        "%1 leaner",
        "Apply",
    },
    {
        "Cannot load %1:\nThe file is longer than %2 bytes; it is not a parameter file.",
        "Cannot load %1:\n%2",
        "Cannot load %1:\nThis is %2, not a regular file.",
        "Cannot save %1:\n%2",
        "Cannot save %1:\nThis is %2, not a regular file.",
        "Cannot save %1:\n%2\nThe folder cannot be written, so the file could only be "
        "rewritten where it is; %3",
        "its old contents were restored.",
        "its old contents could not be restored.",
        {"a folder", "a named pipe", "a device", "a socket", "a special file"},
        "Settings not saved: %1",
    },
    {
        "The port is already open.",
        "Cannot open %1: %2",
        "Cannot set 9600,N,8,1 on %1: %2",
        "\nYour user may not use serial ports: add it to the 'dialout' group "
        "(sudo adduser $USER dialout) and log in again.",
        "\nThe port is in use by another program. Close that program, or choose another port.",
    },
    {
        "Undo(&Z)",
        "Redo(&Y)",
        "Curve editor(&V)...",
        "Parameter curve",
        "Parameter curve",
        "The sixteen cells' parameters over petrol time. Left and right arrows move the "
        "selection, Shift extends it, plus and minus change the selected parameters.",
        "Cell %1: %2, petrol time %3",
        "Cell %1: %2, petrol time %3, selected",
        "Petrol time (ms)",
        "Parameter",
        "Panel",
        "Stored",
        "File %1",
        "Amount",
        "Set",
        "Add",
        "Subtract",
        "Scale %",
        "Interpolate",
        "Smooth",
        "Copy",
        "Copy all",
        "Paste",
        "Undo",
        "Redo",
        "Compare with file(&F)...",
        "Select all",
        "The clipboard holds no values.",
        "Cannot paste: item %1, \"%2\", is not a whole number.",
        "Cannot paste: item %1, %2, is not within 0 to 255.",
        "Cannot paste: the clipboard holds more than sixteen values.",
        "Cannot paste: %2 values do not fit from cell %1 on.",
        "%1 values pasted.",
        "%1 values copied.",
        "No controller linked: the parameters cannot be changed.",
    },
    {
        "Tune history(&H)...",
        "Tune history",
        "Search notes",
        "All controllers",
        {"Time", "Cause", "Controller", "Note"},
        {"Link", "Store", "File loaded", "Replay", "Cell statistics Apply", "Other controller",
         "Restore"},
        "Controller note (vehicle, engine, kit, work done)",
        "Point note",
        "Save notes",
        {"Parameter", "Petrol time", "Restore from", "Compared with", "Difference"},
        "%1 against %2",
        "the panel",
        "the stored set",
        "the controller",
        "file %1",
        "Controller against file(&F)...",
        "Panel against stored set",
        "Restore all",
        "Restore chosen",
        "No parameter differs.",
        "%1 parameters put into the panel.",
        "No controller linked: the parameters cannot be changed.",
        "%1: not a history index; nothing read from it.",
        "%1: line %2 is damaged and skipped.",
        "%1: not a whole parameter set; skipped.",
        "%1: missing; its point is skipped.",
        "Restore point not kept: %1",
        "The note could not be written beside the set: %1",
    },
    {
        "Link health(&N)...",
        "Link health",
        "Frames per second",
        "Bytes read",
        "Frames taken",
        "Bytes discarded",
        "Link losses",
        "Resends",
        "Echo latency",
        "%1 ms median, %2 ms worst",
        "no echo yet",
        "Hints",
        "None.",
        {"The adapter holds received bytes up to %1 ms (its latency timer): frames and echoes "
         "come late and in bunches. Set its latency_timer to 1.",
         "Bytes have come for %1 s, but no frames of a controller: this may be another device, "
         "or the line is not at 9600 baud.",
         "The port could not be opened: another program holds it. Close that program, or choose "
         "another port.",
         "The port could not be opened: your user may not use serial ports. Add it to the "
         "dialout group and log in again."},
        "Close",
    },
    {
        "OBD-II adapter",
        "None",
        "Engine on petrol",
        "Engine on gas",
        "%1 is the controller's port; it cannot be the OBD-II adapter's as well.",
        "OBD-II fuel trims (short + long term, petrol ECU)",
        {"Cell", "Trim on petrol", "Trim on gas", "Spread on gas", "From the trims"},
        "%1 % (%2)",
        "Engine on petrol",
        "Engine on gas",
        {"OBD-II: none", "OBD-II: %1 is not there", "OBD-II: %1 is in use by another program",
         "OBD-II: you may not use %1 (dialout group)", "OBD-II: no adapter answers on %1",
         "OBD-II: starting the adapter on %1", "OBD-II: %1, %2, reading",
         "OBD-II: %1, %2, no data from the ECU (ignition or engine off?)",
         "OBD-II: %1, %2, finds no bus or ECU",
         "OBD-II: %1 answers with text no adapter sends (not an OBD adapter?)",
         "OBD-II: %1 has gone; waiting for it to come back"},
    },
};

// The window opens with the Chinese texts, but with this caption; the first
// choice of Chinese drops the version suffix.
inline constexpr const char* kStartCaption = "DX470 参数标定软件 V2";

// Labels of the language submenu, the same in both languages.
inline constexpr const char* kChineseItem = "中文";
inline constexpr const char* kEnglishItem = "English";

// The message of the read-back of the parameter edits on Enter.
inline constexpr const char* kNotAnIntegerText = "请键入一个整数。";

// Pane 1 while a log is replayed, the same in both languages like the other
// link status texts.
inline constexpr const char* kReplayStatusText = "Replay";

// The cell marker under the parameter edit of the current cell.
inline constexpr const char* kMarkerText = "▲";

// The chart's unit of the coolant's temperature, here so that the window's
// Song face has its degree sign.
inline constexpr const char* kCelsiusText = "°C";

// Beside a parameter the controller has not stored.
inline constexpr const char* kUnstoredMarkText = "●";
// At the head of the caption while any is unstored, as editors mark a
// changed document.
inline constexpr const char* kUnstoredCaptionMark = "*";
