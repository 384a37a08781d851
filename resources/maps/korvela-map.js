// The map page's side of the bridge to the player window.
//
// The window calls four functions by name (the texts are fixed):
//   clearRoutes();                              remove every drawn route and the car marker
//   checkMapCenter([lat, lon])                  make sure this position is in view
//   drawRoute([[lat, lon], ...,]);              draw one polyline through the pairs
//   fitRoutes();                                show every drawn route (a newly chosen trip)
//   drawEvents([[lat, lon, "title"], ...]);     mark the trip's events (cleared with the
//                                               routes); the title shows on hover
//   drawCardRoute(id, "#rrggbb", [[lat, lon, lat, lon, ...], ...]);
//                                               one trip of the whole card: its runs of
//                                               fixes, each a line in the trip's colour (flat:
//                                               a card holds millions of numbers)
//   showCardLegend("title", [["text", ["#rrggbb", ...]], ...]);
//                                               the whole card's legend: a title (empty for
//                                               none) and a line per day with the colours of
//                                               its trips; cleared with the routes
//   moveCurrentPositionTo([lat, lon], heading, substitute)
//                                               move the car marker; heading in degrees
//                                               clockwise from north; substitute is 1 when
//                                               the point shown is not the one at the
//                                               playback position (no fix there)
// and the page reaches the window through the object "Cocoa" (published with Qt WebChannel),
// which offers exactly log(latitude, longitude) for a click on the route,
// cardRouteClicked(id, latitude, longitude) for a click on a trip of the whole card (the
// nearest of the routes near the click; a single trip's route and a card's are not drawn
// together) and onMapKeyPressed(name) for the keys the window handles ("spacebar",
// "alt enter").
//
// Before the page's scripts run, the window sets window.korvelaConfig: tileUrl, the tile
// server's address, offlineNote, the note shown while no tile could be loaded, and optionally view ({lat, lng, zoom}), the view of the page it replaces
// (another provider's), which is kept until a new route is fitted.
//
// Every drawing function works without map tiles: routes and the marker are vector layers
// that Leaflet draws whether or not a tile server answers.
(function () {
    "use strict";

    var backend = null;   // the map implementation in use (Leaflet, or Google when available)
    var pending = [];     // calls made before the backend was ready, replayed in order
    var config = window.korvelaConfig || {};
    var defaultTileUrl = "https://tile.openstreetmap.org/{z}/{x}/{y}.png";

    function handedView() {
        var v = config.view;
        return v && isFinite(v.lat) && isFinite(v.lng) && isFinite(v.zoom) ? v : null;
    }

    function call(name, args) {
        if (backend) {
            backend[name].apply(backend, args);
        } else {
            pending.push([name, args]);
        }
    }

    window.clearRoutes = function () { call("clearRoutes", []); };
    window.checkMapCenter = function (position) { call("checkMapCenter", [position]); };
    window.drawRoute = function (points) { call("drawRoute", [points]); };
    window.fitRoutes = function () { call("fitRoutes", []); };
    window.drawEvents = function (events) { call("drawEvents", [events]); };
    window.drawCardRoute = function (id, colour, runs) { call("drawCardRoute", [id, colour, runs]); };
    window.showCardLegend = function (title, rows) { call("showCardLegend", [title, rows]); };
    window.moveCurrentPositionTo = function (position, heading, substitute) {
        call("moveCurrentPositionTo", [position, heading, substitute]);
    };

    // The marker: an arrow pointing along the heading; grey while it stands in for a position
    // without a fix.
    function markerSvg(heading, substitute) {
        var fill = substitute ? "#8a8a8a" : "#d62828";
        return '<svg xmlns="http://www.w3.org/2000/svg" width="28" height="28" viewBox="-14 -14 28 28"' +
            ' style="transform: rotate(' + Number(heading || 0) + 'deg)">' +
            '<circle r="12" fill="white" fill-opacity="0.85" stroke="' + fill + '" stroke-width="2"/>' +
            '<path d="M0,-9 L6,7 L0,3 L-6,7 Z" fill="' + fill + '"/></svg>';
    }

    function isPair(p) {
        return p && p.length >= 2 && isFinite(p[0]) && isFinite(p[1]);
    }

    // Only "#rrggbb" reaches a style; anything else draws black.
    function safeColour(colour) {
        return /^#[0-9a-fA-F]{6}$/.test(String(colour)) ? String(colour) : "#000000";
    }

    // The whole card's legend, bottom left over the map; made on first use, emptied and hidden
    // by clearLegend. Texts go in as text, never as markup.
    function showLegend(title, rows) {
        var box = document.getElementById("cardLegend");
        if (!box) {
            box = document.createElement("div");
            box.id = "cardLegend";
            document.body.appendChild(box);
        }
        box.textContent = "";
        if (title) {
            var head = document.createElement("div");
            head.className = "title";
            head.textContent = String(title);
            box.appendChild(head);
        }
        (rows || []).forEach(function (row) {
            var line = document.createElement("div");
            (row[1] || []).forEach(function (colour) {
                var swatch = document.createElement("span");
                swatch.className = "swatch";
                swatch.style.background = safeColour(colour);
                line.appendChild(swatch);
            });
            line.appendChild(document.createTextNode(String(row[0] || "")));
            box.appendChild(line);
        });
        box.style.display = box.childNodes.length ? "block" : "none";
    }
    function clearLegend() {
        var box = document.getElementById("cardLegend");
        if (box) {
            box.textContent = "";
            box.style.display = "none";
        }
    }
    function legendText() {
        var box = document.getElementById("cardLegend");
        return box && box.style.display === "block" ? box.innerText : "";
    }

    function LeafletBackend(element) {
        var view = handedView();
        this.map = L.map(element, { preferCanvas: true, zoomControl: true, worldCopyJump: true })
            .setView(view ? [view.lat, view.lng] : [0, 0], view ? view.zoom : 2);
        var tiles = L.tileLayer(config.tileUrl || defaultTileUrl, {
            maxZoom: 19,
            attribution: "&copy; OpenStreetMap contributors"
        });
        // Tiles are asked for once the page has loaded: the page's load waits for every image
        // asked for before it, and a tile server that is slow to answer must not hold up the
        // route, which is drawn when the page has loaded.
        var map = this.map;
        // Over the grey area while no tile has come: offline, a blank map would look broken.
        // The first tile that loads takes the note away for good.
        var note = document.createElement("div");
        note.id = "tilesNote";
        note.textContent = config.offlineNote || "Map tiles are not available offline";
        element.appendChild(note);
        var tileLoaded = false;
        tiles.on("tileload", function () {
            tileLoaded = true;
            note.style.display = "none";
        });
        tiles.on("tileerror", function () {
            if (!tileLoaded)
                note.style.display = "block";
        });
        this.tilesNote = note;
        if (document.readyState === "complete")
            tiles.addTo(map);
        else
            window.addEventListener("load", function () { tiles.addTo(map); });
        this.routes = L.layerGroup().addTo(this.map);
        this.events = L.layerGroup().addTo(this.map);
        this.marker = null;
        this.centered = !!view;
        this.keepView = !!view;
    }
    // The whole card's trips share one layer, made with the first.
    LeafletBackend.prototype.drawCardRoute = function (id, colour, runs) {
        var card = this.card;
        (runs || []).forEach(function (run) {
            var coordinates = [];
            for (var i = 0; run && i + 1 < run.length; i += 2) {
                if (isFinite(run[i]) && isFinite(run[i + 1]))
                    coordinates.push(run[i], run[i + 1]);
            }
            if (coordinates.length === 0)
                return;
            var line = new RouteLine(coordinates, safeColour(colour), Number(id));
            if (card) {
                card.addLine(line);
                return;
            }
            card = new RouteLayer([line]);
            card.on("click", function (event) {
                if (window.Cocoa)
                    window.Cocoa.cardRouteClicked(event.line.cardId, event.latlng.lat,
                                                  event.latlng.lng);
            });
            this.routes.addLayer(card);
        }, this);
        this.card = card;
    };
    LeafletBackend.prototype.showCardLegend = showLegend;
    LeafletBackend.prototype.clearRoutes = function () {
        this.routes.clearLayers();
        this.card = null;
        clearLegend();
        this.events.clearLayers();
        // The car belongs to the route: a trip without positions shows none.
        if (this.marker)
            this.marker.remove();
        this.marker = null;
    };
    LeafletBackend.prototype.checkMapCenter = function (position) {
        if (!isPair(position) || this.keepView)
            return;
        var latLng = L.latLng(position[0], position[1]);
        if (!this.centered) {
            this.map.setView(latLng, 15);
            this.centered = true;
        } else if (!this.map.getBounds().contains(latLng)) {
            this.map.panTo(latLng);
        }
    };
    // Routes are drawn on canvases of their own (RouteLayer). A line's points are projected
    // once (Web Mercator pixels at zoom 0) and ranked once by how far the line would stray
    // without them (Douglas-Peucker run down to the last point); a zoom level draws only the
    // points that matter at its scale, a list made on the first redraw at that zoom and kept.
    var kRoutePadding = 0.1;  // drawn beyond the view on each side (as Leaflet pads its own)
    var kClickPixels = 6;     // how near a click must be to the line
    var kPathVertices = 256;  // vertices per stroked path
    var kTolerancePixels = 1; // how far the drawn line may stray on screen: a quarter of its width
    // The same for the whole card's trips: many days' lines over each other, an overview
    // where a line up to its own width off shows nothing new (zooming in brings the detail
    // back). Two pixels drew 79,000 vertices for 20 days and a zoom step took 160 ms; four
    // draw 16,000 and keep a step under 100 ms.
    var kCardTolerancePixels = 4;
    var kRankRun = 4096;      // points ranked together; see rankPoints
    var kKeptLevels = 24;     // zoom levels whose point lists are kept at once

    // The squared distance (zoom-0 pixels) at which each point stops being drawn: a point is
    // drawn at tolerance t when its rank exceeds t^2. Each point's rank is its distance from
    // the chord Douglas-Peucker splits it off, capped by the rank of the points that split
    // before it, so the points drawn at any tolerance are exactly what Douglas-Peucker keeps.
    // Runs of kRankRun points with both ends always drawn bound the cost of a spiral (a split
    // that peels one point at a time costs n^2).
    function rankPoints(xs, ys, n) {
        var rank = new Float64Array(n);
        var stack = [];
        for (var first = 0; first < n; first += kRankRun) {
            var last = Math.min(first + kRankRun, n - 1);
            rank[first] = Infinity;
            rank[last] = Infinity;
            stack.push(first, last, Infinity);
            while (stack.length) {
                var cap = stack.pop(), b = stack.pop(), a = stack.pop();
                if (b - a < 2)
                    continue;
                var ax = xs[a], ay = ys[a], dx = xs[b] - ax, dy = ys[b] - ay;
                var length2 = dx * dx + dy * dy;
                var farthest = -1, split = a + 1;
                for (var i = a + 1; i < b; ++i) {
                    var px = xs[i] - ax, py = ys[i] - ay, d;
                    if (length2 > 0) {
                        var t = (px * dx + py * dy) / length2;
                        t = t < 0 ? 0 : (t > 1 ? 1 : t);
                        var ex = px - t * dx, ey = py - t * dy;
                        d = ex * ex + ey * ey;
                    } else {
                        d = px * px + py * py;
                    }
                    if (d > farthest) {
                        farthest = d;
                        split = i;
                    }
                }
                var r = farthest < cap ? farthest : cap;
                rank[split] = r;
                stack.push(a, split, r, split, b, r);
            }
        }
        return rank;
    }

    // One line of a route layer. coordinates: latitude, longitude, latitude, ... (degrees,
    // all finite); colour: "#rrggbb"; cardId: the trip of the whole card it belongs to, if any.
    function RouteLine(coordinates, colour, cardId) {
        var n = coordinates.length >> 1;
        this.colour = colour;
        this.cardId = cardId;
        this.xs = new Float64Array(n);
        this.ys = new Float64Array(n);
        // Spherical Mercator as Leaflet's EPSG:3857 computes it, without an object per
        // point: x = 256 (lng + 180) / 360, y = 128 (1 - ln(tan(pi/4 + lat/2)) / pi).
        var maxLat = L.Projection.SphericalMercator.MAX_LATITUDE;
        var south = 90, north = -90, west = 180, east = -180;
        for (var i = 0; i < n; ++i) {
            var given = +coordinates[2 * i];
            var lng = +coordinates[2 * i + 1];
            var lat = Math.max(Math.min(given, maxLat), -maxLat);
            var sin = Math.sin(lat * Math.PI / 180);
            this.xs[i] = 256 * (lng + 180) / 360;
            this.ys[i] = 128 * (1 - Math.log((1 + sin) / (1 - sin)) / (2 * Math.PI));
            if (given < south) south = given;
            if (given > north) north = given;
            if (lng < west) west = lng;
            if (lng > east) east = lng;
        }
        this.pointCount = n;
        this.bounds = L.latLngBounds([south, west], [north, east]);
        this.rank = rankPoints(this.xs, this.ys, n);
        this.levels = {};     // zoom -> indices of the points drawn at that zoom
        this.levelCount = 0;
    }
    // The indices of the points drawn at this scale (zoom-0 pixels to screen pixels).
    RouteLine.prototype.pointsAt = function (zoom, scale) {
        var level = this.levels[zoom];
        if (level)
            return level;
        if (this.levelCount >= kKeptLevels) {
            this.levels = {}; // fractional zooms (pinches) would otherwise pile up
            this.levelCount = 0;
        }
        var tolerance = (this.cardId === undefined ? kTolerancePixels : kCardTolerancePixels) / scale;
        var limit = tolerance * tolerance;
        var rank = this.rank, n = this.pointCount, count = 0;
        for (var i = 0; i < n; ++i) {
            if (rank[i] > limit)
                ++count;
        }
        level = new Uint32Array(count);
        for (var j = 0, k = 0; j < n; ++j) {
            if (rank[j] > limit)
                level[k++] = j;
        }
        this.levels[zoom] = level;
        ++this.levelCount;
        return level;
    };
    // The squared distance (layer pixels) from the point to the line as this zoom draws it;
    // origin: the map's pixel origin.
    RouteLine.prototype.distance2To = function (point, zoom, origin) {
        var s = Math.pow(2, zoom);
        var xs = this.xs, ys = this.ys;
        var drawn = this.pointsAt(zoom, s);
        var cx = point.x, cy = point.y;
        var ax = xs[0] * s - origin.x, ay = ys[0] * s - origin.y;
        var best = (ax - cx) * (ax - cx) + (ay - cy) * (ay - cy);
        for (var k = 1; k < drawn.length; ++k) {
            var i = drawn[k];
            var bx = xs[i] * s - origin.x, by = ys[i] * s - origin.y;
            var dx = bx - ax, dy = by - ay, length2 = dx * dx + dy * dy;
            var t = length2 > 0 ? ((cx - ax) * dx + (cy - ay) * dy) / length2 : 0;
            t = t < 0 ? 0 : (t > 1 ? 1 : t);
            var ex = ax + t * dx - cx, ey = ay + t * dy - cy;
            var d = ex * ex + ey * ey;
            if (d < best)
                best = d;
            ax = bx;
            ay = by;
        }
        return best;
    };

    // Lines on a canvas of their own: a single trip's route, or every trip of the whole card
    // on one canvas (one canvas to clear and to lay over the map, however many trips). The
    // layer follows the map on every zoom and move end; during a zoom animation it is hidden.
    var RouteLayer = L.Layer.extend({
        initialize: function (lines) {
            this.lines = lines;
            this.drawnVertices = 0;
        },
        addLine: function (line) {
            this.lines.push(line);
            this.scheduleRedraw();
        },
        bounds: function () {
            var bounds = L.latLngBounds([]);
            this.lines.forEach(function (l) { bounds.extend(l.bounds); });
            return bounds;
        },
        onAdd: function (map) {
            this.canvas = L.DomUtil.create("canvas", "leaflet-zoom-hide korvela-route");
            this.canvas.style.pointerEvents = "none";
            map.getPanes().overlayPane.appendChild(this.canvas);
            map.on("moveend resize", this.scheduleRedraw, this);
            map.on("click", this.onMapClick, this);
            // The first drawing waits for the calls already sent with the route (the window
            // fits a new route into the view right after drawing it): a task queued now runs
            // after them, so a day's route is not drawn first at a view that is about to go.
            var self = this;
            setTimeout(function () { self.scheduleRedraw(); }, 0);
        },
        onRemove: function (map) {
            map.off("moveend resize", this.scheduleRedraw, this);
            map.off("click", this.onMapClick, this);
            L.DomUtil.remove(this.canvas);
            this.canvas = null;
        },
        // Screen transform: layer pixels = zoom-0 pixels * scale - origin.
        transform: function () {
            var map = this._map;
            var scale = Math.pow(2, map.getZoom());
            var size = map.getSize();
            var padding = size.multiplyBy(kRoutePadding).round();
            var topLeft = map.containerPointToLayerPoint([0, 0]).subtract(padding);
            var origin = map.getPixelOrigin().add(topLeft);
            return { scale: scale, x: origin.x, y: origin.y, topLeft: topLeft,
                     width: size.x + 2 * padding.x, height: size.y + 2 * padding.y };
        },
        // One redraw per frame, however many moves (a fit after a centring) come before it.
        scheduleRedraw: function () {
            if (this.redrawPending || !this._map)
                return;
            this.redrawPending = true;
            var self = this;
            L.Util.requestAnimFrame(function () {
                self.redrawPending = false;
                self.redraw();
            });
        },
        redraw: function () {
            if (!this._map || !this.canvas)
                return;
            var t = this.transform();
            var ratio = window.devicePixelRatio || 1;
            var canvas = this.canvas;
            L.DomUtil.setPosition(canvas, t.topLeft);
            // Resizing a canvas allocates its pixels again: only when the view's size changed.
            if (canvas.width !== Math.round(t.width * ratio) ||
                canvas.height !== Math.round(t.height * ratio)) {
                canvas.style.width = t.width + "px";
                canvas.style.height = t.height + "px";
                canvas.width = Math.round(t.width * ratio);
                canvas.height = Math.round(t.height * ratio);
            }
            var ctx = canvas.getContext("2d");
            ctx.setTransform(ratio, 0, 0, ratio, 0, 0);
            ctx.clearRect(0, 0, t.width, t.height);
            ctx.lineWidth = routeStyle.weight;
            ctx.globalAlpha = routeStyle.opacity;
            ctx.lineCap = "round";
            ctx.lineJoin = "bevel";
            var vertices = 0;
            for (var l = 0; l < this.lines.length; ++l)
                vertices += this.strokeLine(ctx, this.lines[l], t);
            this.drawnVertices = vertices;
        },
        // Draws only the points that matter at this zoom (see rankPoints): a fitted day's
        // route (tens of thousands of points, a line that crosses itself all day) then strokes
        // a vertex per pixel of curvature rather than one per pixel of length, which is what
        // costs: stroking a wide line costs per segment. Steps wholly outside the canvas are
        // not stroked. Returns the vertices drawn.
        strokeLine: function (ctx, line, t) {
            var xs = line.xs, ys = line.ys, n = line.pointCount;
            var s = t.scale, ox = t.x, oy = t.y;
            // A line wholly outside the canvas costs nothing but this test.
            var b = line.bounds;
            var nw = this._map.project(b.getNorthWest(), this._map.getZoom());
            var se = this._map.project(b.getSouthEast(), this._map.getZoom());
            var m = routeStyle.weight;
            var right = t.width + m, bottom = t.height + m;
            if (se.x - ox < -m || se.y - oy < -m || nw.x - ox > right || nw.y - oy > bottom)
                return 0;
            var drawn = line.pointsAt(this._map.getZoom(), s);
            var count = drawn.length;
            var lastX = xs[0] * s - ox, lastY = ys[0] * s - oy;
            ctx.strokeStyle = line.colour;
            // Stroked in short paths: the cost of stroking one path grows faster than its
            // length when it crosses itself, as a day's driving does.
            var inPath = 0;
            var vertices = 1;
            ctx.beginPath();
            ctx.moveTo(lastX, lastY);
            for (var k = 1; k < count; ++k) {
                var i = drawn[k];
                var x = xs[i] * s - ox, y = ys[i] * s - oy;
                // A step wholly beyond one side of the canvas is not drawn.
                if ((x < -m && lastX < -m) || (y < -m && lastY < -m) ||
                    (x > right && lastX > right) || (y > bottom && lastY > bottom)) {
                    ctx.moveTo(x, y);
                } else {
                    ctx.lineTo(x, y);
                    ++vertices;
                    if (++inPath === kPathVertices) {
                        ctx.stroke();
                        ctx.beginPath();
                        ctx.moveTo(x, y);
                        inPath = 0;
                    }
                }
                lastX = x;
                lastY = y;
            }
            if (n === 1)
                ctx.lineTo(lastX + 0.01, lastY); // a single point shows as a dot
            ctx.stroke();
            return vertices;
        },
        // A click near a line is a click on the route, at the clicked position; with the
        // whole card's trips, on the nearest trip near it.
        onMapClick: function (event) {
            var map = this._map;
            var zoom = map.getZoom(), origin = map.getPixelOrigin();
            var nearest = null, best = kClickPixels * kClickPixels;
            for (var l = 0; l < this.lines.length; ++l) {
                var d = this.lines[l].distance2To(event.layerPoint, zoom, origin);
                if (d <= best) {
                    best = d;
                    nearest = this.lines[l];
                }
            }
            if (nearest)
                this.fire("click", { latlng: event.latlng, line: nearest });
        }
    });
    var routeStyle = { color: "#1d4ed8", weight: 4, opacity: 0.85 };

    LeafletBackend.prototype.drawRoute = function (points) {
        var pairs = (points || []).filter(isPair);
        if (pairs.length === 0)
            return;
        var coordinates = [];
        pairs.forEach(function (p) { coordinates.push(p[0], p[1]); });
        var route = new RouteLayer([new RouteLine(coordinates, routeStyle.color)]);
        route.on("click", function (event) {
            if (window.Cocoa)
                window.Cocoa.log(event.latlng.lat, event.latlng.lng);
        });
        this.routes.addLayer(route);
    };
    // An event: an orange dot with a dark ring; its title on hover.
    LeafletBackend.prototype.drawEvents = function (events) {
        var layer = this.events;
        (events || []).forEach(function (e) {
            if (!isPair(e))
                return;
            L.circleMarker([e[0], e[1]], { radius: 6, color: "#7c2d12", weight: 2,
                                           fillColor: "#f08c00", fillOpacity: 0.95 })
                .bindTooltip(String(e[2] || ""))
                .addTo(layer);
        });
    };
    LeafletBackend.prototype.fitRoutes = function () {
        this.keepView = false;
        var routes = this.routes.getLayers();
        if (routes.length === 0)
            return;
        var bounds = L.latLngBounds([]);
        routes.forEach(function (route) { bounds.extend(route.bounds()); });
        var size = this.map.getSize();
        if (size.x > 40 && size.y > 40)
            this.map.fitBounds(bounds, { padding: [16, 16], maxZoom: 17, animate: false });
        else
            this.map.setView(bounds.getCenter(), 15, { animate: false }); // no room to fit yet
        this.centered = true;
    };
    LeafletBackend.prototype.view = function () {
        var c = this.map.getCenter();
        return { lat: c.lat, lng: c.lng, zoom: this.map.getZoom() };
    };
    LeafletBackend.prototype.moveCurrentPositionTo = function (position, heading, substitute) {
        if (!isPair(position))
            return;
        var icon = L.divIcon({ className: "korvela-marker", html: markerSvg(heading, substitute),
                               iconSize: [28, 28], iconAnchor: [14, 14] });
        var moved = true;
        if (!this.marker) {
            this.marker = L.marker(position, { icon: icon, interactive: false, keyboard: false })
                .addTo(this.map);
        } else {
            moved = !this.marker.getLatLng().equals(L.latLng(position[0], position[1]));
            this.marker.setLatLng(position);
            this.marker.setIcon(icon);
        }
        // Only a car that moves is followed: a redraw of a paused trip leaves the view alone.
        if (!moved)
            return;
        // Following the car is a pan, never a view reset: Leaflet resets the view (and projects
        // every route point again, half a second for a day's 10 Hz route) for any pan farther
        // than the map's size that is not animated. A short animation moves it in a frame.
        if (!this.map.getBounds().contains(this.marker.getLatLng()))
            this.map.panTo(this.marker.getLatLng(), { animate: true, duration: 0.05 });
    };

    LeafletBackend.prototype.state = function () {
        var layers = this.routes.getLayers();
        var lines = [];
        layers.forEach(function (layer) { lines = lines.concat(layer.lines); });
        var marker = this.marker ? this.marker.getLatLng() : null;
        return {
            ready: true, provider: "leaflet", routes: lines.length,
            routePoints: lines.reduce(function (n, l) { return n + l.pointCount; }, 0),
            // The whole card's lines: [trip id, colour, points] each.
            cardRoutes: lines.filter(function (l) { return l.cardId !== undefined; })
                .map(function (l) { return [l.cardId, l.colour, l.pointCount]; }),
            legend: legendText(),
            // The vertices the last redraws drew (at most one per pixel of line).
            drawnVertices: layers.reduce(function (n, l) { return n + l.drawnVertices; }, 0),
            marker: marker ? [marker.lat, marker.lng] : null,
            events: this.events.getLayers().map(function (m) {
                return [m.getLatLng().lat, m.getLatLng().lng];
            }),
            substitute: this.marker ? this.marker.getElement().innerHTML.indexOf("#8a8a8a") >= 0 : null,
            center: [this.map.getCenter().lat, this.map.getCenter().lng],
            zoom: this.map.getZoom(),
            tilesNote: this.tilesNote.style.display === "block" ? this.tilesNote.textContent : ""
        };
    };
    // A click on the map at a position, as the user's click reaches it (the routes near it
    // answer).
    window.korvelaClickMap = function (lat, lng) {
        if (!backend || !backend.map.latLngToLayerPoint)
            return;
        var latLng = L.latLng(lat, lng);
        backend.map.fire("click", { latlng: latLng,
                                    layerPoint: backend.map.latLngToLayerPoint(latLng),
                                    containerPoint: backend.map.latLngToContainerPoint(latLng) });
    };

    function GoogleBackend(element) {
        var view = handedView();
        this.map = new google.maps.Map(element, {
            center: view ? { lat: view.lat, lng: view.lng } : { lat: 0, lng: 0 },
            zoom: view ? view.zoom : 2
        });
        this.routes = [];
        this.events = [];
        this.marker = null;
        this.centered = !!view;
        this.keepView = !!view;
    }
    GoogleBackend.prototype.fitRoutes = function () {
        this.keepView = false;
        if (this.routes.length === 0)
            return;
        var bounds = new google.maps.LatLngBounds();
        this.routes.forEach(function (r) {
            r.getPath().forEach(function (p) { bounds.extend(p); });
        });
        this.map.fitBounds(bounds, 16);
        this.centered = true;
    };
    GoogleBackend.prototype.view = function () {
        var c = this.map.getCenter();
        return { lat: c.lat(), lng: c.lng(), zoom: this.map.getZoom() };
    };
    GoogleBackend.prototype.clearRoutes = function () {
        clearLegend();
        this.routes.forEach(function (r) { r.setMap(null); });
        this.routes = [];
        this.events.forEach(function (m) { m.setMap(null); });
        this.events = [];
        if (this.marker)
            this.marker.setMap(null);
        this.marker = null;
    };
    GoogleBackend.prototype.checkMapCenter = function (position) {
        if (!isPair(position) || this.keepView)
            return;
        var latLng = new google.maps.LatLng(position[0], position[1]);
        var bounds = this.map.getBounds();
        if (!this.centered) {
            this.map.setCenter(latLng);
            this.map.setZoom(15);
            this.centered = true;
        } else if (!bounds || !bounds.contains(latLng)) {
            this.map.panTo(latLng);
        }
    };
    GoogleBackend.prototype.drawRoute = function (points) {
        var path = (points || []).filter(isPair).map(function (p) { return { lat: p[0], lng: p[1] }; });
        if (path.length === 0)
            return;
        var line = new google.maps.Polyline({ path: path, strokeColor: "#1d4ed8", strokeWeight: 4,
                                              strokeOpacity: 0.85, map: this.map });
        line.addListener("click", function (event) {
            if (window.Cocoa)
                window.Cocoa.log(event.latLng.lat(), event.latLng.lng());
        });
        this.routes.push(line);
    };
    GoogleBackend.prototype.drawCardRoute = function (id, colour, runs) {
        var self = this;
        (runs || []).forEach(function (run) {
            var path = [];
            for (var i = 0; run && i + 1 < run.length; i += 2) {
                if (isFinite(run[i]) && isFinite(run[i + 1]))
                    path.push({ lat: +run[i], lng: +run[i + 1] });
            }
            if (path.length === 0)
                return;
            var line = new google.maps.Polyline({ path: path, strokeColor: safeColour(colour),
                                                  strokeWeight: 4, strokeOpacity: 0.85, map: self.map });
            line.addListener("click", function (event) {
                if (window.Cocoa)
                    window.Cocoa.cardRouteClicked(Number(id), event.latLng.lat(), event.latLng.lng());
            });
            self.routes.push(line);
        });
    };
    GoogleBackend.prototype.showCardLegend = showLegend;
    GoogleBackend.prototype.drawEvents = function (events) {
        var self = this;
        (events || []).forEach(function (e) {
            if (!isPair(e))
                return;
            self.events.push(new google.maps.Marker({
                position: { lat: e[0], lng: e[1] }, title: String(e[2] || ""), map: self.map,
                icon: { path: google.maps.SymbolPath.CIRCLE, scale: 6, fillColor: "#f08c00",
                        fillOpacity: 0.95, strokeColor: "#7c2d12", strokeWeight: 2 }
            }));
        });
    };
    GoogleBackend.prototype.state = function () {
        var p = this.marker ? this.marker.getPosition() : null;
        return {
            ready: true, provider: "google", routes: this.routes.length,
            routePoints: this.routes.reduce(function (n, l) { return n + l.getPath().getLength(); }, 0),
            marker: p ? [p.lat(), p.lng()] : null, substitute: null, center: null
        };
    };
    GoogleBackend.prototype.moveCurrentPositionTo = function (position, heading, substitute) {
        if (!isPair(position))
            return;
        var latLng = new google.maps.LatLng(position[0], position[1]);
        var icon = {
            path: google.maps.SymbolPath.FORWARD_CLOSED_ARROW,
            scale: 5, rotation: Number(heading || 0),
            fillColor: substitute ? "#8a8a8a" : "#d62828", fillOpacity: 1, strokeWeight: 1
        };
        if (!this.marker)
            this.marker = new google.maps.Marker({ position: latLng, icon: icon, map: this.map });
        else {
            this.marker.setPosition(latLng);
            this.marker.setIcon(icon);
        }
    };

    function start(makeBackend, note) {
        var element = document.getElementById("map");
        backend = makeBackend(element);
        if (note) {
            var box = document.getElementById("note");
            box.textContent = note;
            box.style.display = "block";
        }
        var queued = pending;
        pending = [];
        queued.forEach(function (c) { backend[c[0]].apply(backend, c[1]); });
    }

    // Keys the window wants while the map has the focus.
    document.addEventListener("keydown", function (event) {
        if (!window.Cocoa)
            return;
        if (event.code === "Space" || event.key === " ") {
            window.Cocoa.onMapKeyPressed("spacebar");
            event.preventDefault();
        } else if ((event.code === "Enter" || event.key === "Enter") && event.altKey) {
            window.Cocoa.onMapKeyPressed("alt enter");
            event.preventDefault();
        }
    });

    // Where the map looks, handed to the next provider's page.
    window.korvelaMapView = function () {
        return backend ? backend.view() : handedView();
    };

    // A zoom step as the zoom buttons make it, without the animation (for the map benchmark).
    window.korvelaZoomBy = function (delta) {
        if (backend && backend.map.setZoom && backend.map.getZoom)
            backend.map.setZoom(backend.map.getZoom() + delta, { animate: false });
    };

    // What the page shows, for the program's own checks of the page.
    window.korvelaMapState = function () {
        if (!backend)
            return { ready: false };
        return backend.state();
    };

    function connectToWindow() {
        if (typeof qt === "undefined" || !qt.webChannelTransport || typeof QWebChannel === "undefined")
            return; // opened outside the player (a browser): the map still works, without callbacks
        new QWebChannel(qt.webChannelTransport, function (channel) {
            window.Cocoa = channel.objects.Cocoa;
        });
    }

    // Called by each provider's page once its map script is known to be usable.
    window.korvelaStartLeaflet = function (note) {
        start(function (element) { return new LeafletBackend(element); }, note);
    };
    window.korvelaStartGoogle = function () {
        start(function (element) { return new GoogleBackend(element); }, null);
    };
    connectToWindow();
})();
