// A small look at the core: loads each patch group named on the command line and prints
// what a load would fill the window's lists with.
#include <iostream>

#include "catalogue/Catalogue.h"
#include "document/Document.h"
#include "document/LoadLists.h"
#include "document/ModelCode.h"

int main(int argc, char** argv) {
    const pf::Catalogue catalogue = pf::Catalogue::open(pf::Catalogue::defaultPath());
    std::string model;
    int status = 0;
    for (int i = 1; i < argc; ++i) {
        pf::Document doc;
        std::string error;
        if (!doc.load(argv[i], &error)) {
            std::cerr << error << '\n';
            status = 1;
            continue;
        }
        model = pf::modelCodeFor(argv[i], model);
        const pf::LoadLists lists = pf::buildLoadLists(catalogue, model);
        std::cout << argv[i] << ": " << doc.lineCount() << " lines, model \"" << model << "\", "
                  << lists.ampChecks.size() << " amps, " << lists.driveChecks.size() << " drives, "
                  << lists.reverbChecks.size() << " reverbs, " << lists.cabItems.size() << " cabs\n";
    }
    return status;
}
