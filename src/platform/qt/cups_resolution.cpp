#include "platform/qt/cups_resolution.h"

#include <cups/cups.h>
#include <cmath>

#include <cstdlib>
#include <string>

namespace lenzora::platform {

int cupsQueueResolution(const QString& queue) {
    const std::string name = queue.toStdString();
    cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, name.c_str(), nullptr);
    if (dest == nullptr) return 0;
    int dpi = 0;
    // A default set on the queue ("300dpi", "600x600dpi") wins over the driver's.
    if (const char* option = cupsGetOption("Resolution", dest->num_options, dest->options)) {
        dpi = std::atoi(option);
    }
    if (dpi <= 0) {
        if (cups_dinfo_t* info = cupsCopyDestInfo(CUPS_HTTP_DEFAULT, dest)) {
            if (ipp_attribute_t* attr =
                    cupsFindDestDefault(CUPS_HTTP_DEFAULT, dest, info, "printer-resolution")) {
                int yres = 0;
                ipp_res_t units = IPP_RES_PER_INCH;
                const int xres = ippGetResolution(attr, 0, &yres, &units);
                dpi = units == IPP_RES_PER_CM ? static_cast<int>(std::lround(xres * 2.54)) : xres;
            }
            cupsFreeDestInfo(info);
        }
    }
    cupsFreeDests(1, dest);
    return dpi > 0 ? dpi : 0;
}

}  // namespace lenzora::platform
