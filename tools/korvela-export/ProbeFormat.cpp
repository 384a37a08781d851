// --format probe: the probe document of every FILE (export/RVProbeDocument.cpp).
#include "export/RVProbeDocument.h"
#include "tools/korvela-export/RVExportFormats.h"

int runProbeFormat(const RVExportContext& context)
{
    int status = 0;
    RVJsonWriter json(context.out);
    json.beginArray(RVJsonWriter::Layout::OnePerLine);
    for (const QString& path : context.files) {
        QString error;
        if (!RVProbeDocument::writeFile(json, path, error)) {
            std::fprintf(context.err, "korvela-export: %s: %s\n", qPrintable(path),
                         qPrintable(error));
            status = 1;
        }
    }
    json.endArray();
    json.newline();
    if (!json.flush()) {
        std::fprintf(context.err, "korvela-export: could not write the output\n");
        status = 1;
    }
    return status;
}
