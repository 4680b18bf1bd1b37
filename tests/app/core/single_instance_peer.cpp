// A later start of the program, for the single-instance tests: with the key of the running
// instance and the runtime folder its environment names (XDG_RUNTIME_DIR), it must fail to
// claim, hand its argument over and end. Exit code 0 when it did.
#include "single_instance.h"

#include <QCoreApplication>

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    SingleInstance instance(arguments.value(1));
    if (instance.claim()) {
        return 3; // it should not have been first
    }
    return instance.handOver(arguments.value(2)) ? 0 : 4;
}
