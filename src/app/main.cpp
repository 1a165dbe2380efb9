#include "app/Ombrix.h"

int main(int argc, char** argv) {
    ombrix::app::COmbrixApp app;
    return app.Run(argc, argv);
}
