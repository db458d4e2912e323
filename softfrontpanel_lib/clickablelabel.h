// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// A label that reads and acts like a hyperlink.
#pragma once

#include <QLabel>
#include <QString>

class QMouseEvent;

class clickableLabel final : public QLabel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(clickableLabel)

public:
    explicit clickableLabel(const QString &text, QWidget *parent = nullptr);
    ~clickableLabel() override;

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
};
