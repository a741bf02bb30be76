// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "ui/HistoryWindow.h"

#include <QCheckBox>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "files/ParamFile.h"
#include "history/DifferenceReport.h"
#include "session/CalibrationSession.h"
#include "ui/ParamFileCommands.h"
#include "ui/QtTexts.h"
#include "ui/UiTexts.h"
#include "ui/WindowFonts.h"

namespace {
constexpr char kTimeFormat[] = "yyyy-MM-dd HH:mm:ss";
// Enough of a fingerprint to tell controllers apart at a glance.
constexpr int kShortController = 8;

QTableWidgetItem* ReadOnlyItem(const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    return item;
}

QTableWidget* MakeTable(QWidget* parent, int columns, const QString& name) {
    auto* table = new QTableWidget(0, columns, parent);
    table->setObjectName(name);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setStretchLastSection(true);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    return table;
}

void SetHeadings(QTableWidget* table, const auto& headings) {
    QStringList labels;
    for (const char* heading : headings) labels << Text(heading);
    table->setHorizontalHeaderLabels(labels);
}

// A set read from a file, as the panel would take it.
PanelParams AsSpinPositions(const PanelParams& file) {
    PanelParams positions{};
    for (int k = 0; k < kParamCount; ++k) {
        positions[static_cast<std::size_t>(k)] = SpinPositionFor(file[static_cast<std::size_t>(k)]);
    }
    return positions;
}
}  // namespace

HistoryWindow::HistoryWindow(CalibrationSession& session, const UiTexts& texts, QWidget* parent)
    : QDialog(parent),
      session_(session),
      history_(session.History()),
      texts_(&texts),
      search_(new QLineEdit(this)),
      allControllers_(new QCheckBox(this)),
      points_(MakeTable(this, kNoteColumn + 1, QStringLiteral("historyPoints"))),
      report_(MakeTable(this, kDifferenceColumn + 1, QStringLiteral("historyReport"))),
      reportTitle_(new QLabel(this)),
      message_(new QLabel(this)),
      problems_(new QLabel(this)),
      controllerNoteLabel_(new QLabel(this)),
      pointNoteLabel_(new QLabel(this)),
      controllerNote_(new QPlainTextEdit(this)),
      pointNote_(new QLineEdit(this)),
      saveNotes_(new QPushButton(this)),
      againstFile_(new QPushButton(this)),
      panelAgainstStored_(new QPushButton(this)),
      restoreAll_(new QPushButton(this)),
      restoreChosen_(new QPushButton(this)) {
    setObjectName(QStringLiteral("historyWindow"));
    setFont(WindowFonts::SongFont(WindowFonts::kSystemPoints));
    setModal(false);
    points_->setSelectionBehavior(QAbstractItemView::SelectRows);
    points_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    report_->setSelectionMode(QAbstractItemView::NoSelection);
    problems_->setObjectName(QStringLiteral("historyProblems"));
    problems_->setWordWrap(true);
    problems_->setStyleSheet(QStringLiteral("color: #c00000"));
    message_->setObjectName(QStringLiteral("historyMessage"));
    controllerNote_->setMaximumHeight(controllerNote_->fontMetrics().height() * 4);
    for (QPushButton* button :
         {saveNotes_, againstFile_, panelAgainstStored_, restoreAll_, restoreChosen_}) {
        button->setAutoDefault(false);
    }
    BuildLayout();
    connect(search_, &QLineEdit::textChanged, this, &HistoryWindow::ShowPoints);
    connect(allControllers_, &QCheckBox::toggled, this, &HistoryWindow::Refresh);
    connect(points_, &QTableWidget::itemSelectionChanged, this, &HistoryWindow::OnSelectionChanged);
    connect(saveNotes_, &QPushButton::clicked, this, &HistoryWindow::SaveNotes);
    connect(againstFile_, &QPushButton::clicked, this, &HistoryWindow::CompareWithFile);
    connect(panelAgainstStored_, &QPushButton::clicked, this,
            &HistoryWindow::ComparePanelWithStored);
    connect(restoreAll_, &QPushButton::clicked, this, [this] { Restore(false); });
    connect(restoreChosen_, &QPushButton::clicked, this, [this] { Restore(true); });
    // Hidden, it is read afresh when shown again.
    connect(&history_, &TuneHistory::changed, this, [this] {
        if (isVisible()) Refresh();
    });
    SetLanguage(texts);
    Refresh();
}

void HistoryWindow::BuildLayout() {
    auto* filters = new QHBoxLayout;
    filters->addWidget(search_, 1);
    filters->addWidget(allControllers_);
    auto* notes = new QHBoxLayout;
    notes->addWidget(pointNoteLabel_);
    notes->addWidget(pointNote_, 1);
    notes->addWidget(saveNotes_);
    auto* compare = new QHBoxLayout;
    for (QPushButton* button : {againstFile_, panelAgainstStored_, restoreAll_, restoreChosen_}) {
        compare->addWidget(button);
    }
    compare->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(filters);
    layout->addWidget(points_, 2);
    layout->addWidget(controllerNoteLabel_);
    layout->addWidget(controllerNote_);
    layout->addLayout(notes);
    layout->addWidget(reportTitle_);
    layout->addWidget(report_, 2);
    layout->addLayout(compare);
    layout->addWidget(message_);
    layout->addWidget(problems_);
    resize(760, 640);
}

void HistoryWindow::SetLanguage(const UiTexts& texts) {
    texts_ = &texts;
    const HistoryTexts& history = texts.history;
    setWindowTitle(Text(history.caption));
    search_->setPlaceholderText(Text(history.search));
    search_->setAccessibleName(Text(history.search));
    allControllers_->setText(Text(history.allControllers));
    SetHeadings(points_, history.columns);
    SetHeadings(report_, history.reportColumns);
    points_->setAccessibleName(Text(history.caption));
    report_->setAccessibleName(Text(history.reportColumns[kDifferenceColumn]));
    controllerNoteLabel_->setText(Text(history.controllerNote));
    controllerNote_->setAccessibleName(Text(history.controllerNote));
    pointNoteLabel_->setText(Text(history.pointNote));
    pointNote_->setAccessibleName(Text(history.pointNote));
    saveNotes_->setText(Text(history.saveNote));
    againstFile_->setText(Text(history.controllerAgainstFile));
    panelAgainstStored_->setText(Text(history.panelAgainstStored));
    restoreAll_->setText(Text(history.restoreAll));
    restoreChosen_->setText(Text(history.restoreChosen));
    ShowPoints();
    ShowProblems(problemsRead_);
}

QString HistoryWindow::ControllerShown() const {
    return history_.CurrentController();
}

void HistoryWindow::Refresh() {
    const TuneHistory::Listing listing =
        allControllers_->isChecked() ? history_.AllPoints() : history_.Points(ControllerShown());
    all_ = listing.points;
    problemsRead_ = listing.problems;
    controllerNote_->setPlainText(history_.ControllerNote(ControllerShown()));
    controllerNote_->setEnabled(!ControllerShown().isEmpty());
    ShowPoints();
    ShowProblems(problemsRead_);
}

// Points whose note, cause or time holds the searched text.
void HistoryWindow::ShowPoints() {
    const QString wanted = search_->text().trimmed();
    shown_.clear();
    for (const TuneHistory::Point& point : all_) {
        if (wanted.isEmpty() || PointLabel(point).contains(wanted, Qt::CaseInsensitive) ||
            QString::fromStdString(point.point.note).contains(wanted, Qt::CaseInsensitive)) {
            shown_.push_back(point);
        }
    }
    const QSignalBlocker quiet(points_);
    points_->setRowCount(static_cast<int>(shown_.size()));
    for (int row = 0; row < points_->rowCount(); ++row) {
        const TuneHistory::Point& point = shown_.at(static_cast<std::size_t>(row));
        const auto cause = static_cast<std::size_t>(point.point.cause);
        points_->setItem(row, kTimeColumn,
                         ReadOnlyItem(QDateTime::fromMSecsSinceEpoch(point.point.timeMs)
                                          .toString(QString::fromLatin1(kTimeFormat))));
        points_->setItem(row, kCauseColumn, ReadOnlyItem(Text(texts_->history.causes.at(cause))));
        points_->setItem(row, kControllerColumn,
                         ReadOnlyItem(point.controller.left(kShortController)));
        points_->setItem(row, kNoteColumn, ReadOnlyItem(QString::fromStdString(point.point.note)));
    }
    points_->resizeColumnsToContents();
    OnSelectionChanged();
}

void HistoryWindow::ShowProblems(const std::vector<TuneHistory::Problem>& problems) {
    QStringList lines;
    const HistoryTexts& texts = texts_->history;
    for (const TuneHistory::Problem& problem : problems) {
        const QString path = QDir::toNativeSeparators(problem.path);
        switch (problem.kind) {
            case TuneHistory::Problem::Kind::NotAnIndex:
                lines << Text(texts.notAnIndex).arg(path);
                break;
            case TuneHistory::Problem::Kind::DamagedLine:
                lines << Text(texts.damagedLine).arg(path).arg(problem.line);
                break;
            case TuneHistory::Problem::Kind::NotASet:
                lines << Text(texts.notASet).arg(path);
                break;
            case TuneHistory::Problem::Kind::Missing:
                lines << Text(texts.missingSet).arg(path);
                break;
        }
    }
    problems_->setText(lines.join(QLatin1Char('\n')));
    problems_->setVisible(!lines.isEmpty());
}

QString HistoryWindow::PointLabel(const TuneHistory::Point& point) const {
    return QStringLiteral("%1, %2, %3")
        .arg(point.point.number)
        .arg(QDateTime::fromMSecsSinceEpoch(point.point.timeMs)
                 .toString(QString::fromLatin1(kTimeFormat)))
        .arg(Text(texts_->history.causes.at(static_cast<std::size_t>(point.point.cause))));
}

// One point: it against the panel now. Two: the older against the newer.
void HistoryWindow::OnSelectionChanged() {
    std::vector<int> rows;
    for (const QModelIndex& index : points_->selectionModel()->selectedRows()) {
        rows.push_back(index.row());
    }
    std::sort(rows.begin(), rows.end());
    const HistoryTexts& texts = texts_->history;
    const TuneHistory::Point* point = rows.empty() ? nullptr : &shown_.at(std::size_t(rows.back()));
    pointNote_->setEnabled(rows.size() == 1);
    pointNote_->setText(rows.size() == 1 ? QString::fromStdString(point->point.note) : QString());
    if (rows.size() == 1) {
        ShowReport(point->panel, session_.Panel(),
                   Text(texts.pointAgainst).arg(PointLabel(*point), Text(texts.thePanel)));
    } else if (rows.size() >= 2) {
        const TuneHistory::Point& newer = shown_.at(std::size_t(rows.front()));
        ShowReport(point->panel, newer.panel,
                   Text(texts.pointAgainst).arg(PointLabel(*point), PointLabel(newer)));
    } else {
        restoreFrom_.reset();
        report_->setRowCount(0);
        reportTitle_->clear();
        restoreAll_->setEnabled(false);
        restoreChosen_->setEnabled(false);
    }
}

// A row per parameter that differs; its box ticks it for a partial restore.
void HistoryWindow::ShowReport(const PanelParams& from, const PanelParams& with,
                               const QString& title) {
    const std::vector<ParamDifference> rows = Differences(from, with);
    restoreFrom_ = from;
    reportTitle_->setText(
        rows.empty() ? title + QStringLiteral(": ") + Text(texts_->history.noDifference) : title);
    report_->setRowCount(static_cast<int>(rows.size()));
    for (int row = 0; row < report_->rowCount(); ++row) {
        const ParamDifference& difference = rows.at(static_cast<std::size_t>(row));
        QTableWidgetItem* param = ReadOnlyItem(QString::number(difference.k));
        param->setFlags(param->flags() | Qt::ItemIsUserCheckable);
        param->setCheckState(Qt::Unchecked);
        param->setData(Qt::UserRole, difference.k);
        report_->setItem(row, kParamColumn, param);
        report_->setItem(row, kPetrolColumn,
                         ReadOnlyItem(QStringLiteral("%1–%2 ms")
                                          .arg(difference.petrolFromMs, 0, 'f', 3)
                                          .arg(difference.petrolToMs, 0, 'f', 3)));
        report_->setItem(row, kFromColumn, ReadOnlyItem(QString::number(difference.before)));
        report_->setItem(row, kWithColumn, ReadOnlyItem(QString::number(difference.after)));
        report_->setItem(row, kDifferenceColumn,
                         ReadOnlyItem(QString::asprintf("%+d", difference.difference)));
    }
    report_->resizeColumnsToContents();
    restoreAll_->setEnabled(!rows.empty());
    restoreChosen_->setEnabled(!rows.empty());
}

void HistoryWindow::CompareControllerWith(const PanelParams& set, const QString& name) {
    points_->clearSelection();
    PanelParams controller{};
    for (int k = 0; k < kParamCount; ++k) {
        controller[static_cast<std::size_t>(k)] =
            session_.Record().deviceParams[static_cast<std::size_t>(k)];
    }
    const HistoryTexts& texts = texts_->history;
    ShowReport(
        AsSpinPositions(set), controller,
        Text(texts.pointAgainst).arg(Text(texts.aFile).arg(name), Text(texts.theController)));
}

void HistoryWindow::CompareWithFile() {
    const std::optional<QString> path = ParamFileCommands::AskOpenPath(this);
    if (!path) return;
    const std::optional<PanelParams> read =
        ParamFileCommands::Read(this, *path, session_.Panel(), texts_->files);
    if (read) CompareControllerWith(*read, QFileInfo(*path).fileName());
}

void HistoryWindow::ComparePanelWithStored() {
    const std::optional<PanelParams> stored = session_.StoredSet();
    if (!stored) return;
    points_->clearSelection();
    const HistoryTexts& texts = texts_->history;
    ShowReport(*stored, session_.Panel(),
               Text(texts.pointAgainst).arg(Text(texts.theStoredSet), Text(texts.thePanel)));
}

void HistoryWindow::SaveNotes() {
    QString reason;
    const QString controller = ControllerShown();
    if (!controller.isEmpty() &&
        !history_.SetControllerNote(controller, controllerNote_->toPlainText(), reason)) {
        message_->setText(Text(texts_->history.pointNotKept).arg(reason));
        return;
    }
    const QList<QModelIndex> rows = points_->selectionModel()->selectedRows();
    if (rows.size() != 1) return;
    const TuneHistory::Point& point = shown_.at(static_cast<std::size_t>(rows.front().row()));
    if (!history_.SetPointNote(point.controller, point.point.number, pointNote_->text(), reason)) {
        message_->setText(Text(texts_->history.pointNotKept).arg(reason));
    }
}

// The first side's values go into the panel; the session sends them.
void HistoryWindow::Restore(bool chosenOnly) {
    if (!restoreFrom_) return;
    if (!session_.Editing() || session_.Replaying()) {
        message_->setText(Text(texts_->history.notEditable));
        return;
    }
    ParamMask which = 0;
    for (int row = 0; row < report_->rowCount(); ++row) {
        const QTableWidgetItem* param = report_->item(row, kParamColumn);
        if (!chosenOnly || param->checkState() == Qt::Checked) {
            which |= static_cast<ParamMask>(1u << param->data(Qt::UserRole).toInt());
        }
    }
    if (which == 0) return;
    session_.RestoreValues(*restoreFrom_, which);
    int count = 0;
    for (int k = 0; k < kParamCount; ++k) count += (which >> k) & 1;
    message_->setText(Text(texts_->history.restored).arg(count));
}
