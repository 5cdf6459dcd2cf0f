// The test objects of the desktop tests, run one after the other by main.cpp.
#pragma once

#include <QObject>
#include <memory>
#include <vector>

std::vector<std::unique_ptr<QObject>> makeDialogTests();
std::vector<std::unique_ptr<QObject>> makeWindowTests();
std::vector<std::unique_ptr<QObject>> makeKeyTests();
std::vector<std::unique_ptr<QObject>> makeControllerTests();
std::vector<std::unique_ptr<QObject>> makeMonitorTests();
std::vector<std::unique_ptr<QObject>> makeOpenTests();
std::vector<std::unique_ptr<QObject>> makeSoundTests();
