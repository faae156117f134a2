#!/usr/bin/env python3
"""Makes the user's guide that setup installs: one HTML document from the guide's Markdown, with
the pictures it shows beside it, to be opened in any Windows browser from the Start menu.

    guide-html.py GUIDE.md OUTPUT_FOLDER

Writes OUTPUT_FOLDER/user-guide.html and OUTPUT_FOLDER/images/ (only the pictures the guide
shows; an older picture left there is removed). Fails, writing nothing, when a picture is
missing or lies outside images/, when a link points at a section that does not exist, or at a
file that is not installed with the guide.
"""
import html
import os
import re
import shutil
import sys

import markdown  # Debian: python3-markdown

TITLE = "Lotwise user's guide"
PICTURE = re.compile(r"images/[A-Za-z0-9_.-]+\.png")

STYLE = """\
body { font-family: "Segoe UI", Tahoma, Arial, sans-serif; font-size: 15px; line-height: 1.45;
       color: #202020; max-width: 56em; margin: 1.5em auto; padding: 0 1.5em; }
h1, h2, h3 { line-height: 1.2; }
h2 { border-bottom: 1px solid #d0d0d0; padding-bottom: 0.2em; margin-top: 1.8em; }
code { font-family: Consolas, "Courier New", monospace; background: #f2f2f2; padding: 0 0.2em; }
pre { background: #f2f2f2; padding: 0.6em 0.8em; overflow-x: auto; }
pre code { padding: 0; }
table { border-collapse: collapse; margin: 0.8em 0; }
th, td { border: 1px solid #c8c8c8; padding: 0.3em 0.6em; text-align: left; vertical-align: top; }
th { background: #ececec; }
img { max-width: 100%; border: 1px solid #d0d0d0; }
"""


def github_slug(text, separator):
    """The anchor a heading gets where the guide is read as Markdown, so its links to sections
    work in both places: lower case, punctuation dropped, each blank a separator."""
    text = re.sub(r"[^\w\- ]", "", text.strip().lower())
    return text.replace(" ", separator)


def convert(source_text):
    converter = markdown.Markdown(
        extensions=["tables", "fenced_code", "toc", "sane_lists"],
        extension_configs={"toc": {"slugify": github_slug}},
        output_format="html")
    return converter.convert(source_text)


def check(body, source_folder):
    """What is wrong with the converted guide: a list of complaints, and the pictures it shows."""
    problems = []
    pictures = []
    ids = set(re.findall(r'\sid="([^"]+)"', body))
    for src in re.findall(r'<img[^>]*\ssrc="([^"]*)"', body):
        src = html.unescape(src)
        if not PICTURE.fullmatch(src):
            problems.append(f"picture {src}: not a .png in images/")
        elif not os.path.isfile(os.path.join(source_folder, src)):
            problems.append(f"picture {src}: missing")
        elif src not in pictures:
            pictures.append(src)
    for href in re.findall(r'<a[^>]*\shref="([^"]*)"', body):
        href = html.unescape(href)
        if href.startswith("#"):
            if href[1:] not in ids:
                problems.append(f"link {href}: no such section")
        elif re.match(r"(https?|mailto):", href, re.IGNORECASE):
            continue
        elif not (PICTURE.fullmatch(href) and os.path.isfile(os.path.join(source_folder, href))):
            problems.append(f"link {href}: not part of the installed guide")
    return problems, pictures


def document(body):
    return ("<!DOCTYPE html>\n"
            '<html lang="en">\n<head>\n<meta charset="utf-8">\n'
            '<meta name="viewport" content="width=device-width, initial-scale=1">\n'
            f"<title>{html.escape(TITLE, quote=False)}</title>\n"
            f"<style>\n{STYLE}</style>\n</head>\n<body>\n{body}\n</body>\n</html>\n")


def main(argv):
    if len(argv) != 3:
        print("usage: guide-html.py GUIDE.md OUTPUT_FOLDER", file=sys.stderr)
        return 2
    source, output = argv[1], argv[2]
    source_folder = os.path.dirname(os.path.abspath(source))
    with open(source, encoding="utf-8") as f:
        body = convert(f.read())
    problems, pictures = check(body, source_folder)
    if problems:
        for problem in problems:
            print(f"{source}: {problem}", file=sys.stderr)
        return 1

    images = os.path.join(output, "images")
    shutil.rmtree(images, ignore_errors=True)
    os.makedirs(images)
    for picture in pictures:
        shutil.copyfile(os.path.join(source_folder, picture), os.path.join(output, picture))
    # Written last and whole: the build sees a finished guide or none.
    target = os.path.join(output, "user-guide.html")
    with open(target + ".tmp", "w", encoding="utf-8", newline="\r\n") as f:
        f.write(document(body))
    os.replace(target + ".tmp", target)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
