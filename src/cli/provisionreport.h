#pragma once

#include "project/projectplan.h"

#include <QByteArray>
#include <QList>
#include <QString>

// What provisioning did on each board, step by step: for the results table and the
// machine-readable report (CSV or JSON, by the file's extension).
struct ProvisionReport {
    enum class Result { Done, Failed, NotRun };

    struct Step {
        QString name;
        QString detail;
        qint64 bytes = 0;
        double seconds = 0;
        Result result = Result::NotRun;
    };
    struct Board {
        QString port;
        int exitCode = 0;
        QString message;
        QList<Step> steps;
    };

    QString project;
    int baudRate = 115200;
    QList<Board> boards;

    // Why the file cannot take a report (an extension other than .csv or .json, a
    // folder that does not exist); empty when it can.
    static QString unfit(const QString& file);
    QByteArray csv() const;
    QByteArray json() const;
    bool write(const QString& file, QString* error) const;
    // One line per board and step, for people.
    QStringList table() const;

    static QString resultName(Result result);
};
