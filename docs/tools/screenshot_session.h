#pragma once
// The run the viewer screenshots start from: the reset parameters, the
// input given on the command line, the Result file in a scratch folder.
#include "files/parameter_table.h"
#include "files/session.h"

#include <QDir>
#include <QFileInfo>
#include <QString>
#include <QTemporaryDir>

#include <memory>

inline std::unique_ptr<morvelan::Session> screenshotSession(const char* input, const QTemporaryDir& work)
{
    auto session = std::make_unique<morvelan::Session>();
    morvelan::ResetParameters(session->params);
    session->inputPath = QFileInfo(QString::fromLocal8Bit(input)).absoluteFilePath().toStdString();
    session->resultPath = QDir(work.path()).filePath(QStringLiteral("R.txt")).toStdString();
    return session;
}
