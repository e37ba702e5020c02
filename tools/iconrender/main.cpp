// Writes the application icon as a PNG picture: lumaret_iconrender SIZE FILE

#include "icon/applicationicon.h"

#include <QCoreApplication>
#include <QImage>
#include <QTextStream>

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    bool isNumber = false;
    const int size = arguments.value(1).toInt(&isNumber);
    QTextStream errors(stderr);
    if (arguments.size() != 3 || !isNumber || size < 1 || size > 4096) {
        errors << "usage: lumaret_iconrender SIZE FILE   (SIZE from 1 to 4096 pixels)" << Qt::endl;
        return 2;
    }
    const QImage icon = ApplicationIcon::render(size);
    if (!icon.save(arguments[2], "PNG")) {
        errors << "lumaret_iconrender: cannot write " << arguments[2] << Qt::endl;
        return 1;
    }
    return 0;
}
