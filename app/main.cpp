#include "TabvaleApplication.h"

int main(int argc, char **argv)
{
    TabvaleApplication app(argc, argv);
    return app.exec();
}
