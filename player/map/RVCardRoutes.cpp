#include "player/map/RVCardRoutes.h"

#include "metadata/RVCoordinateValue.h"
#include "player/map/RVFixRuns.h"
#include "player/map/RVRouteSimplifier.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <span>

namespace {

// Readable on the light tiles of a street map, apart from each other and from the car
// marker's red; the route of a single trip is the first.
constexpr std::array<const char*, 10> kPalette = {
    "#1d4ed8", // blue
    "#c2410c", // burnt orange
    "#15803d", // green
    "#7e22ce", // purple
    "#0e7490", // teal
    "#be185d", // magenta
    "#854d0e", // brown
    "#4338ca", // indigo
    "#4d7c0f", // olive
    "#334155", // slate
};

void append(std::string& out, std::string_view text)
{
    out.append(text.data(), text.size());
}

} // namespace

QString RVCardRoutes::colour(std::size_t index)
{
    return QString::fromLatin1(kPalette[index % kPalette.size()]);
}

std::size_t RVCardRoutes::paletteSize()
{
    return kPalette.size();
}

RVCardRouteScript RVCardRoutes::routeScript(int id, std::string_view colour,
                                            const std::vector<RVPoint>& track,
                                            double toleranceMetres)
{
    const std::size_t n = track.size();
    std::vector<double> latitudes(n);
    std::vector<double> longitudes(n);
    for (std::size_t i = 0; i < n; ++i) {
        latitudes[i] = RVCoordinateValue::value(track[i].latitudeText());
        longitudes[i] = RVCoordinateValue::value(track[i].longitudeText());
    }
    // The colour goes into a script: only "#" and hex digits.
    std::string safeColour = "#000000";
    if (colour.size() == 7 && colour[0] == '#' &&
        std::all_of(colour.begin() + 1, colour.end(),
                    [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; }))
        safeColour = std::string(colour);

    RVCardRouteScript script;
    std::string& call = script.text;
    call = "drawCardRoute(" + std::to_string(id) + ", \"" + safeColour + "\", [";
    bool anyRun = false;
    const auto addRun = [&](std::size_t begin, std::size_t end) {
        const std::vector<std::size_t> kept = RVRouteSimplifier::simplify(
            std::span<const double>(latitudes).subspan(begin, end - begin),
            std::span<const double>(longitudes).subspan(begin, end - begin), toleranceMetres);
        call.reserve(call.size() + 4 + kept.size() * 22);
        call += '[';
        for (std::size_t k : kept) {
            const RVPoint& point = track[begin + k];
            append(call, point.latitudeText());
            call += ',';
            append(call, point.longitudeText());
            call += ',';
        }
        call += "],";
        script.points += kept.size();
        anyRun = true;
    };
    // Runs as the single trip's route has them: latitude 0 (or none) is no position.
    forEachFixRun(latitudes, n, addRun);
    if (!anyRun)
        return RVCardRouteScript{};
    call += "]);";
    return script;
}

QString RVCardRoutes::legendScript(const QString& title, const std::vector<RVCardLegendRow>& rows)
{
    // As JSON, so that every text reaches the page as a string, whatever it holds.
    QJsonArray list;
    for (const RVCardLegendRow& row : rows)
        list.append(QJsonArray{row.text, QJsonArray::fromStringList(row.colours)});
    const QString titleText =
        QString::fromUtf8(QJsonDocument(QJsonArray{title}).toJson(QJsonDocument::Compact));
    return QStringLiteral("showCardLegend(%1, %2);")
        .arg(titleText.mid(1).chopped(1),
             QString::fromUtf8(QJsonDocument(list).toJson(QJsonDocument::Compact)));
}

std::optional<std::size_t> RVCardRoutes::nearestPoint(const std::vector<RVPoint>& track,
                                                      double latitude, double longitude)
{
    // Degrees of longitude shrink towards the poles: compared as the map shows them near the
    // position, not as raw degrees, so that a nearer point east or west is not passed over.
    const double east = std::cos(latitude * M_PI / 180.0);
    std::optional<std::size_t> best;
    double bestDistance = 0;
    for (std::size_t i = 0; i < track.size(); ++i) {
        const double pointLatitude = RVCoordinateValue::value(track[i].latitudeText());
        if (float(pointLatitude) == 0)
            continue; // no position: not on the drawn route
        const double dLat = pointLatitude - latitude;
        const double dLon = (RVCoordinateValue::value(track[i].longitudeText()) - longitude) * east;
        const double d = dLat * dLat + dLon * dLon;
        if (!best || d < bestDistance) {
            best = i;
            bestDistance = d;
        }
    }
    return best;
}
