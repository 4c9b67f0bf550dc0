#include "app/program.h"
#include "shell/shell.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    quillora::app::SetUpApplication(application);
    return quillora::shell::StartProgram(quillora::app::QuilloraProgram());
}
