#include "shell/LongOperation.h"

#include <QCoreApplication>
#include <QTimer>

#include <list>
#include <vector>

namespace harbrix {
namespace {

struct Registry {
    std::list<QString> running;
    std::vector<std::function<void()>> waiting;
};

Registry& registry() {
    static Registry* instance = new Registry;
    return *instance;
}

void runWaiting() {
    Registry& r = registry();
    if (!r.running.empty()) return;
    std::vector<std::function<void()>> waiting;
    waiting.swap(r.waiting);
    for (auto& done : waiting) done();
}

}  // namespace

std::shared_ptr<void> LongOperation::begin(const QString& name) {
    Registry& r = registry();
    const auto entry = r.running.insert(r.running.end(), name);
    return std::shared_ptr<void>(nullptr, [entry](void*) {
        registry().running.erase(entry);
        // After the code that ended the operation has finished with it.
        QTimer::singleShot(0, QCoreApplication::instance(), runWaiting);
    });
}

bool LongOperation::anyRunning() {
    return !registry().running.empty();
}

QString LongOperation::running() {
    return anyRunning() ? registry().running.front() : QString();
}

void LongOperation::whenNoneRunning(std::function<void()> done) {
    registry().waiting.push_back(std::move(done));
    if (!anyRunning()) QTimer::singleShot(0, QCoreApplication::instance(), runWaiting);
}

}  // namespace harbrix
