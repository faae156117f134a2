#!/usr/bin/env python3
"""Writes result pages in the older layout (raw item links) for the poller benchmark.

  make_bench_pages.py OUT_DIR --name NAME --pages N --items M [--seed S]

Writes OUT_DIR/NAME_NNN.html (N pages of M items each), OUT_DIR/NAME_searches.txt (one search
line per page; "{site}" stands for the fixture site's address), OUT_DIR/NAME_blocked.ini (a
blocked auctions list holding some of the bargains and ids of no page) and
OUT_DIR/NAME_expected.txt (what one pass over the searches must log: items, alerts, pages).
Python 3 standard library only; the same seed gives the same pages.
"""

import argparse
import os
import random
import time

# Every search asks for items at or below 25.00 with at most 3 hours left.
TARGET_PRICE = 25.00
TRIGGER = (0, 3, 0)  # days, hours, minutes
TRIGGER_MINUTES = TRIGGER[2] + 60 * (TRIGGER[1] + 24 * TRIGGER[0])

MAKERS = ["Elgin", "Waltham", "Hamilton", "Illinois", "Ingersoll", "Westclox", "Howard", "Rockford",
          "Seth Thomas", "South Bend", "Hampden", "Longines", "Omega", "Zenith", "Swiss"]
THINGS = ["pocket watch", "hunter case pocket watch", "open face pocket watch", "railroad pocket watch",
          "pocket watch chain", "watch fob", "pocket watch stand", "watch key", "movement only",
          "dollar watch", "wrist watch", "mantel clock", "alarm clock", "watch crystal lot"]
DETAILS = ["15 jewels, running", "17 jewels", "21 jewels, adjusted", "23 jewels", "needs repair",
           "engraved case", "10k gold filled case", "sterling silver case", "with original box",
           "serviced last year", "keeps good time", "for parts", "nice dial", "lot of 3"]
# Titles with what real pages carry: entities, a numeric entity, <wbr>, a quoted model name.
DECORATED = ["Grandpa&#39;s %s chain &amp; fob", "%s &quot;Vanguard&quot; model", "%s &#8211; as found",
             "%s railway<wbr> special"]


def title(rng):
    text = "%s %s, %s" % (rng.choice(MAKERS), rng.choice(THINGS), rng.choice(DETAILS))
    if rng.random() < 0.15:
        text = rng.choice(DECORATED) % text
    if rng.random() < 0.05:  # longer than the 127 characters an item keeps
        text += ", seller&#39;s 90 day guarantee, original box and papers, spare crystal, excellent runner"
    return text


def price_text(cents):
    dollars, rest = divmod(cents, 100)
    return "$%s.%02d" % ("{:,}".format(dollars), rest)


def time_left(rng):
    """The text the page shows and the minutes the poller reads from it."""
    kind = rng.random()
    if kind < 0.05:
        return "<1m", 1
    days, hours, minutes = rng.randrange(7), rng.randrange(24), rng.randrange(60)
    if kind < 0.35:
        return "%dh %02dm" % (hours % 6, minutes), minutes + 60 * (hours % 6)
    return "%dd %02dh %02dm" % (days, hours, minutes), minutes + 60 * (hours + 24 * days)


def item_row(item_id, text, price, bids, left, shade):
    link = "http://cgi.rure.com/aw-cgi/rUreISAPI.dll?ViewItem&item=%d" % item_id
    return ('<tr bgcolor="%s">\n'
            '<td align="center" valign="top"><a href="%s"><img src="http://pics.rure.com/aw/pics/lst/_p___.gif"'
            ' width="16" height="15" border="0" alt="Picture"></a></td>\n'
            '<td valign="top"><a href="%s"><font size="3">%s</font></a></td>\n'
            '<td align="right" valign="top"><font size="3"><b>%s</b></font></td>\n'
            '<td align="center" valign="top"><font size="3">%s</font></td>\n'
            '<td align="right" valign="top"><font size="3">%s</font></td>\n'
            '</tr>\n') % (shade, link, link, text, price, bids, left)


HEAD = """<html>
<head>
<title>rUre Search: %(query)s</title>
<meta http-equiv="Content-Type" content="text/html; charset=iso-8859-1">
<link rel="stylesheet" type="text/css" href="http://pics.rure.com/aw/pics/css/search.css">
<script language="JavaScript">
<!--
function doFormSubmit(form)
{
  if (form.query.value.length < 2) {
    alert("Please enter at least two letters");
    return false;
  }
  form.submit();
  return true;
}
//-->
</script>
</head>
<body bgcolor="#ffffff" topmargin="0" marginheight="0">
<table border="0" cellpadding="0" cellspacing="0" width="100%%">
<tr>
<td width="150"><a href="http://www.rure.com/"><img src="http://pics.rure.com/aw/pics/navbar/rure_logo_home.gif" width="150" height="70" alt="rUre" border="0"></a></td>
<td align="right"><a href="http://www.rure.com/">home</a> | <a href="http://pages.rure.com/services/myrure/myrure.html">my rUre</a> | <a href="http://pages.rure.com/help/index.html">help</a></td>
</tr>
</table>
<form name="search" action="http://search.rure.com/search/search.dll" method="get" onsubmit="return doFormSubmit(this)">
<input type="hidden" name="MfcISAPICommand" value="GetResult">
<input type="text" name="query" value="%(query)s" size="30">
<input type="submit" value="Search">
<input type="checkbox" name="srchdesc" value="y"> search titles <b>and</b> descriptions
</form>
<p><font size="2"><b>%(total)d</b> items found for <b>%(query)s</b>. Showing items 1 to %(items)d.</font></p>
<!-- rUreCacheStart -->
<table border="0" cellpadding="3" cellspacing="1" width="100%%">
<tr bgcolor="#ccccff">
<td align="center"><font size="2"><b>Picture</b></font></td>
<td><font size="2"><b>Current Items</b></font></td>
<td align="right"><font size="2"><b>Price</b></font></td>
<td align="center"><font size="2"><b>Bids</b></font></td>
<td align="right"><font size="2"><b>Time Left</b></font></td>
</tr>
"""

FEATURED_HEAD = '<tr><td colspan="5" bgcolor="#ffcc00"><font size="2"><b>Featured Items</b></font></td></tr>\n'
ALL_HEAD = '<tr><td colspan="5" bgcolor="#ccccff"><font size="2"><b>All Items</b></font></td></tr>\n'

TAIL = """</table>
<a href="http://cgi.rure.com/aw-cgi/rUreISAPI.dll?ViewItem&item=1043000001&rd=banner"><img src="http://pics.rure.com/aw/pics/banners/gift_certificates.gif" width="468" height="60" border="0" alt=""></a>
<!-- rUreCacheEnd -->
<p><font size="2">Page <b>1</b> of %(of)d &nbsp; <a href="http://search.rure.com/search/search.dll?MfcISAPICommand=GetResult&query=%(plus)s&skip=%(items)d">Next page</a></font></p>
<table border="0" width="100%%"><tr><td align="center"><font size="1">Copyright &copy; 1995-2001 rUre Inc. All Rights Reserved.<br>
Use of this Web site constitutes acceptance of the rUre <a href="http://pages.rure.com/help/community/png-user.html">User Agreement</a> and <a href="http://pages.rure.com/help/community/png-priv.html">Privacy Policy</a>.</font></td></tr></table>
</body>
</html>
"""


def make_page(rng, page_number, items):
    """The page's HTML and its bargains (ids at or below the target price and trigger)."""
    query = "%s %s" % (rng.choice(MAKERS).lower(), rng.choice(THINGS))
    html = [HEAD % {"query": query, "total": items * 3, "items": items}]
    bargains = []
    for i in range(items):
        if i == 0:
            html.append(FEATURED_HEAD)
        elif i == 1:
            html.append(ALL_HEAD)
        item_id = 1100000000 + page_number * 1000 + i
        # Mostly dearer than the target; about one item in twenty-five is a bargain.
        cents = rng.choice([rng.randrange(100, 2500), rng.randrange(2600, 20000), rng.randrange(2600, 20000),
                            rng.randrange(20000, 300000)])
        left, minutes = time_left(rng)
        bids = "-" if rng.random() < 0.2 else str(rng.randrange(1, 60))
        text = title(rng)
        if i == 0:  # a featured item: a "Featured" link stands between its link and its title
            row = item_row(item_id, text, price_text(cents), bids, left, "#ffffcc")
            row = row.replace('<td valign="top"><a href=',
                              '<td valign="top"><a href="http://pages.rure.com/aw-cgi/rUreISAPI.dll?Featured'
                              '&category=3937"><font size="1">Featured</font></a>\n<a href=', 1)
        else:
            if rng.random() < 0.1:
                text = '<font size="1" color="#ff0000">NEW</font> <font size="3">' + text
            row = item_row(item_id, text, price_text(cents), bids, left, "#ffffff" if i % 2 else "#efefef")
        html.append(row)
        if cents <= TARGET_PRICE * 100 and minutes <= TRIGGER_MINUTES:
            bargains.append(item_id)
    html.append(TAIL % {"of": 3, "plus": query.replace(" ", "+"), "items": items})
    return "".join(html), query, bargains


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("out")
    parser.add_argument("--name", required=True)
    parser.add_argument("--pages", type=int, required=True)
    parser.add_argument("--items", type=int, required=True)
    parser.add_argument("--seed", type=int, default=1)
    args = parser.parse_args()
    os.makedirs(args.out, exist_ok=True)
    rng = random.Random(args.seed)

    now = int(time.time())
    searches, blocked, alerts = [], [], 0
    for number in range(1, args.pages + 1):
        html, query, bargains = make_page(rng, number, args.items)
        name = "%s_%03d.html" % (args.name, number)
        with open(os.path.join(args.out, name), "w", encoding="latin-1", newline="\n") as f:
            f.write(html)
        searches.append('"%s %d" {site}/pages/%s %d %d %d %.2f' % (query, number, name, TRIGGER[0], TRIGGER[1],
                                                                     TRIGGER[2], TARGET_PRICE))
        # Every third page has one of its bargains blocked by the user a few days ago.
        if bargains and number % 3 == 0:
            blocked.append((bargains[0], now - rng.randrange(3600, 5 * 86400)))
            bargains = bargains[1:]
        alerts += len(bargains)
    # Entries of items no page shows, as a list that has been in use for a while holds.
    blocked += [(1200000000 + n, now - rng.randrange(3600, 9 * 86400)) for n in range(30)]
    rng.shuffle(blocked)

    with open(os.path.join(args.out, args.name + "_searches.txt"), "w", newline="\n") as f:
        f.write("".join(line + "\n" for line in searches))
    with open(os.path.join(args.out, args.name + "_blocked.ini"), "w", newline="\n") as f:
        f.write("".join("%d %d\n" % entry for entry in blocked))
    with open(os.path.join(args.out, args.name + "_expected.txt"), "w", newline="\n") as f:
        f.write("items %d\nalerts %d\npages %d\n" % (args.pages * args.items, alerts, args.pages))
    print("%s: %d pages of %d items, %d alerts expected" % (args.name, args.pages, args.items, alerts))


if __name__ == "__main__":
    main()
