// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// Modal viewer of the licence under which the toolkit is used.
#pragma once

#include <QDialog>

class qtLicense final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(qtLicense)

public:
    explicit qtLicense(QWidget *parent = nullptr);
    ~qtLicense() override;
};
