// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "ui/CellTable.h"

#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>

std::array<QPushButton*, kParamCount> BuildCellTable(QTableWidget* table, int suggestionColumn,
                                                     const std::function<void(int)>& apply) {
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->verticalHeader()->hide();
    table->setSizeAdjustPolicy(QAbstractScrollArea::AdjustToContents);
    table->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    table->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    table->setFocusPolicy(Qt::NoFocus);
    const int applyColumn = table->columnCount() - 1;
    std::array<QPushButton*, kParamCount> buttons{};
    for (int cell = 0; cell < kParamCount; ++cell) {
        for (int column = 0; column < applyColumn; ++column) {
            auto* item = new QTableWidgetItem;
            item->setTextAlignment(column == suggestionColumn ? Qt::AlignLeft | Qt::AlignVCenter
                                                              : Qt::AlignRight | Qt::AlignVCenter);
            table->setItem(cell, column, item);
        }
        table->item(cell, 0)->setText(QString::number(cell));
        auto* button = new QPushButton(table);
        button->setAutoDefault(false);
        QObject::connect(button, &QPushButton::clicked, table, [apply, cell] { apply(cell); });
        table->setCellWidget(cell, applyColumn, button);
        buttons[std::size_t(cell)] = button;
    }
    return buttons;
}
