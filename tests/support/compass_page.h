// A small result page shared by the poller's end-to-end tests: two items in the raw-link
// layout, 1001 at 19.50 with 42 minutes left and 1002 at 31.00 with 2 days 5 hours 17 minutes.
#pragma once

namespace testing_support {

inline constexpr char kCompassPage[] =
    "<html><head><title>Results</title>\n<script>function doFormSubmit() {}</script></head><body>\n"
    "<!-- rUreCacheStart -->\n<table>\n"
    "<tr><td><a href=\"http://cgi.rure.com/ws/rUreISAPI.dll?ViewItem&item=1001\">Brass ship compass</a></td>"
    "<td>$19.50</td><td>3</td><td>42m</td></tr>\n"
    "<tr><td><a href=\"http://cgi.rure.com/ws/rUreISAPI.dll?ViewItem&item=1002\">Pocket compass with lid</a></td>"
    "<td>$31.00</td><td>-</td><td>2d 05h 17m</td></tr>\n"
    "</table>\n<!-- rUreCacheEnd -->\n</body></html>\n";

}  // namespace testing_support
