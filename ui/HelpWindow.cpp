// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "ui/HelpWindow.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "ui/UiTexts.h"
#include "ui/WindowFonts.h"

namespace {
constexpr QSize kStartSize(720, 600);
}  // namespace

HelpWindow::HelpWindow(QWidget* parent) : QDialog(parent), browser_(new QTextBrowser(this)) {
    setFont(WindowFonts::SongFont(WindowFonts::kWindowPoints));
    setModal(false);
    resize(kStartSize);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    closeButton_ = buttons->button(QDialogButtonBox::Close);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(browser_);
    layout->addWidget(buttons);
}

void HelpWindow::SetLanguage(const UiTexts& texts) {
    setWindowTitle(QString::fromUtf8(texts.manualCaption));
    closeButton_->setText(QString::fromUtf8(texts.manualClose));
    const QUrl page(QString::fromUtf8(texts.manualPage));
    if (browser_->source() != page) browser_->setSource(page);
}
