#!/usr/bin/env python3
"""Writes the program's SVG icons: a rounded tile in the group's colour with a white line glyph.
SVG keeps them crisp at every scale. Run from this folder after changing a glyph."""
import os

TILE = '<rect x="1" y="1" width="22" height="22" rx="5" fill="{c}"/>'
HEAD = '<svg xmlns="http://www.w3.org/2000/svg" width="24" height="24" viewBox="0 0 24 24">'
G = '<g fill="none" stroke="#fff" stroke-width="1.7" stroke-linecap="round" stroke-linejoin="round">{p}</g>'

IMPORT, EXPORT, PAGES, FILES, ACCOUNT = "#2e8b57", "#2f6fde", "#d9731f", "#16898a", "#6b5bd6"
NOTEBOOK, GROUP, SECTION = "#7b3fb8", "#a05fd0", "#c2410c"

ARROW_IN = '<path d="M12 4v8m-3-3 3 3 3-3"/>'
ARROW_OUT = '<path d="M12 13V5m-3 3 3-3 3 3"/>'
TRAY = '<path d="M5 13v5h14v-5"/>'

glyphs = {
    # tree nodes
    "Notebook": (NOTEBOOK, '<path d="M7 5h10v14H7z"/><path d="M9.5 5v14"/><path d="M12 9h3"/>'),
    "NotebookShared": (NOTEBOOK, '<path d="M6 5h8v14H6z"/><path d="M8.3 5v14"/>'
                       '<circle cx="17" cy="11" r="2"/><path d="M14 18c.4-2 1.6-3 3-3s2.6 1 3 3"/>'),
    "SectionGroup": (GROUP, '<path d="M5 8h9l2 2h3v9H5z"/><path d="M7 5h8"/>'),
    "Section": (SECTION, '<path d="M6 6h9l3 3v9H6z"/><path d="M9 11h6M9 14h4"/>'),
    "Page": (EXPORT, '<path d="M7 4h7l4 4v12H7z"/><path d="M14 4v4h4"/><path d="M9.5 12h6M9.5 15h6"/>'),
    "Paragraph": (PAGES, '<path d="M14 5v14M17 5v14"/><path d="M17 5h-6.5a3.5 3.5 0 0 0 0 7H14"/>'),
    "RecognisedText": (PAGES, '<path d="M5 8V5h3M16 5h3v3M19 16v3h-3M8 19H5v-3"/><path d="M9 15l3-7 3 7M10.2 12.5h3.6"/>'),
    "LostSection": (FILES, '<path d="M6 6h9l3 3v9H6z"/><path d="M10 10.5a2 2 0 1 1 2.8 1.8c-.5.3-.8.7-.8 1.2"/>'
                    '<path d="M12 16.2v.1"/>'),
    # import
    "ImportEvernote": (IMPORT, ARROW_IN + TRAY + '<path d="M8 15.5h8"/>'),
    "ImportNotes": (IMPORT, '<path d="M6 5h9l3 3v11H6z"/><path d="M12 8v7m-3-3 3 3 3-3"/>'),
    "ImportGoogleKeep": (IMPORT, '<path d="M12 4a5 5 0 0 1 3 9v2H9v-2a5 5 0 0 1 3-9z"/><path d="M9.5 18h5M10.5 20.5h3"/>'),
    "ImportTxt": (IMPORT, '<path d="M7 4h7l4 4v12H7z"/><path d="M9.5 11h6M9.5 14h6M9.5 17h4"/>'),
    "ImportHtml": (IMPORT, '<path d="M9 8l-4 4 4 4M15 8l4 4-4 4M13 6l-2 12"/>'),
    "ImportImages": (IMPORT, '<path d="M4.5 6h15v12h-15z"/><path d="M4.5 16l4.5-4.5 3.5 3.5 2.5-2.5 4.5 4.5"/>'
                     '<circle cx="15.5" cy="9.5" r="1.3"/>'),
    "ImportTree": (IMPORT, '<path d="M4.5 7h5l1.5 1.5h8.5V18h-15z"/><path d="M12 10.5v5m-2-2 2 2 2-2"/>'),
    # export
    "ExportToTxt": (EXPORT, ARROW_OUT + TRAY + '<path d="M8 15.5h8"/>'),
    "ExportToHtml": (EXPORT, '<path d="M8.5 9l-3.5 3.5 3.5 3.5M15.5 9l3.5 3.5-3.5 3.5"/><path d="M12 16V7m-2.2 2.2L12 7l2.2 2.2"/>'),
    "Backup": (EXPORT, '<path d="M5 7c0-1.5 3-2.5 7-2.5S19 5.5 19 7v10c0 1.5-3 2.5-7 2.5S5 18.5 5 17z"/>'
               '<path d="M5 7c0 1.5 3 2.5 7 2.5S19 8.5 19 7M5 12c0 1.5 3 2.5 7 2.5s7-1 7-2.5"/>'),
    # page tasks
    "Search": (PAGES, '<circle cx="10.5" cy="10.5" r="5"/><path d="M14.3 14.3 19 19"/>'),
    "Replace": (PAGES, '<path d="M5 9h11l-3-3M19 15H8l3 3"/>'),
    "ListTags": (PAGES, '<path d="M5 5h7l7 7-7 7-7-7z"/><circle cx="9" cy="9" r="1.3"/>'),
    "ListAttachments": (PAGES, '<path d="M16 8.5l-6.3 6.3a2 2 0 0 1-2.8-2.8l7-7a3.3 3.3 0 0 1 4.7 4.7l-7.3 7.3a4.6 4.6 0 0 1-6.5-6.5L11 4.3"/>'),
    # section files
    "FindLost": (FILES, '<circle cx="10.5" cy="10.5" r="5"/><path d="M14.3 14.3 19 19"/><path d="M9 9.3a1.6 1.6 0 1 1 2.2 1.5c-.4.2-.7.5-.7 1"/><path d="M10.5 13.4v.1"/>'),
    "CopySections": (FILES, '<path d="M9 9h10v10H9z"/><path d="M15 9V5H5v10h4"/>'),
    "Restore": (FILES, '<path d="M5.5 12a6.5 6.5 0 1 0 2-4.7"/><path d="M5 4.5v3.5h3.5"/><path d="M12 9v3.5l2.5 1.5"/>'),
    "SectionSize": (FILES, '<path d="M6 18V13M10 18V8M14 18v-6M18 18V5"/>'),
    # account and application
    "Account": (ACCOUNT, '<circle cx="12" cy="9" r="3.3"/><path d="M5.5 19c.8-3.3 3.4-5 6.5-5s5.7 1.7 6.5 5"/>'),
    "Pagewright": (NOTEBOOK, '<path d="M7 4.5h7.5l3 3V19.5H7z"/><path d="M9.5 14.5l5-5 1.5 1.5-5 5H9.5z"/>'),
}

# What became of a result row: a round badge, so that it reads apart from the square feature tiles.
DOT = '<circle cx="12" cy="12" r="10.5" fill="{c}"/>'
status = {
    "StatusCreated": ("#1f8a4c", '<path d="M7 12.5l3.3 3.3L17 9"/>'),
    "StatusReused": ("#2f6fde", '<path d="M16.5 9.5a5 5 0 1 0 .4 4"/><path d="M17 6v3.7h-3.7"/>'),
    "StatusSkipped": ("#7a7f87", '<path d="M7.5 12h9"/>'),
    "StatusFailed": ("#c62828", '<path d="M8.5 8.5l7 7M15.5 8.5l-7 7"/>'),
    "StatusSending": ("#c98a12", '<path d="M12 7.5V12l3 2"/>'),
}

# Tags as the tag list shows them: a coloured glyph without a tile, like the marks beside a tagged
# paragraph. The to-do family are boxes in their own colours; "-completed" adds the tick.
TAGLINE = '<g fill="none" stroke="{c}" stroke-width="1.9" stroke-linecap="round" stroke-linejoin="round">{p}</g>'
BOX = '<rect x="4.5" y="4.5" width="15" height="15" rx="2.5"/>'
TICK = '<path d="M8 12.3l2.8 2.8L16.2 9"/>'
todo_colours = {
    "to-do": "#2f6fde", "call-back": "#1f8a4c", "client-request": "#7c4dce",
    "discuss-with-manager": "#c2410c", "discuss-with-person-a": "#d9731f", "discuss-with-person-b": "#a16207",
    "schedule-meeting": "#0e7490", "to-do-priority-1": "#c62828", "to-do-priority-2": "#d97706",
}
# Small marks inside the boxes tell the family apart beyond their colour.
todo_marks = {
    "call-back": '<path d="M9 9.5c0 3 2.5 5.5 5.5 5.5"/>',
    "client-request": '<circle cx="12" cy="10" r="1.6"/><path d="M9.2 15.5c.5-1.5 1.5-2.2 2.8-2.2s2.3.7 2.8 2.2"/>',
    "discuss-with-manager": '<path d="M8.5 10h7M8.5 13h5"/>',
    "discuss-with-person-a": '<path d="M9.5 15l2.5-6 2.5 6M10.4 13h3.2"/>',
    "discuss-with-person-b": '<path d="M10 9h2.6a1.5 1.5 0 0 1 0 3H10zm0 3h3a1.5 1.5 0 0 1 0 3h-3z"/>',
    "schedule-meeting": '<path d="M8.5 10h7v5.5h-7zM10.5 8.5v2.5M13.5 8.5v2.5"/>',
    "to-do-priority-1": '<path d="M11 9.5l1.5-1v7"/>',
    "to-do-priority-2": '<path d="M10 10a2 1.8 0 1 1 3.6 1.2L10 15.5h4.2"/>',
}
tags = {
    "Tag": ("#7a7f87", '<path d="M5 5h7l7 7-7 7-7-7z"/><circle cx="9" cy="9" r="1.3"/>'),
    "Tag-important": ("#e0a800", '<path d="M12 4.5l2.3 4.7 5.2.7-3.8 3.6.9 5.1-4.6-2.4-4.6 2.4.9-5.1-3.8-3.6 5.2-.7z"/>'),
    "Tag-question": ("#7c4dce", '<circle cx="12" cy="12" r="7.5"/><path d="M9.8 10a2.3 2.3 0 1 1 3.2 2.1c-.6.3-1 .8-1 1.4v.5"/><path d="M12 16.6v.1"/>'),
    "Tag-highlight": ("#e0a800", '<path d="M14.5 5l4.5 4.5-7 7H7.5v-4.5z"/><path d="M5 19.5h14"/>'),
    "Tag-contact": ("#2f6fde", '<circle cx="12" cy="9" r="3.3"/><path d="M5.5 19c.8-3.3 3.4-5 6.5-5s5.7 1.7 6.5 5"/>'),
    "Tag-address": ("#1f8a4c", '<path d="M5 11.5L12 5l7 6.5"/><path d="M7 10v9h10v-9"/><path d="M10.5 19v-4.5h3V19"/>'),
    "Tag-phone-number": ("#0891b2", '<path d="M7 4.5h3l1.5 4-2 1.3a9 9 0 0 0 4.7 4.7l1.3-2 4 1.5v3a2 2 0 0 1-2 2A13.5 13.5 0 0 1 5 6.5a2 2 0 0 1 2-2z"/>'),
    "Tag-web-site-to-visit": ("#0e7490", '<circle cx="12" cy="12" r="7.5"/><path d="M4.5 12h15M12 4.5c2 2 3 4.6 3 7.5s-1 5.5-3 7.5c-2-2-3-4.6-3-7.5s1-5.5 3-7.5z"/>'),
    "Tag-idea": ("#e0a800", '<path d="M12 4a5 5 0 0 1 3 9v2H9v-2a5 5 0 0 1 3-9z"/><path d="M9.5 18h5M10.5 20.5h3"/>'),
    "Tag-password": ("#b45309", '<circle cx="8.5" cy="12" r="3.5"/><path d="M12 12h7.5M17 12v3M19.5 12v2"/>'),
    "Tag-critical": ("#c62828", '<circle cx="12" cy="12" r="7.5"/><path d="M12 8v5"/><path d="M12 16.2v.1"/>'),
    "Tag-project-a": ("#c62828", '<path d="M6.5 20V4.5"/><path d="M6.5 5h10l-2 3.5 2 3.5h-10"/>'),
    "Tag-project-b": ("#2f6fde", '<path d="M6.5 20V4.5"/><path d="M6.5 5h10l-2 3.5 2 3.5h-10"/>'),
    "Tag-movie-to-see": ("#9333ea", '<path d="M4.5 7h15v10h-15z"/><path d="M7.5 7v10M16.5 7v10M4.5 12h3M16.5 12h3"/>'),
    "Tag-book-to-read": ("#7c4dce", '<path d="M5 6c2.5-1 5-1 7 .5V19c-2-1.5-4.5-1.5-7-.5z"/><path d="M19 6c-2.5-1-5-1-7 .5V19c2-1.5 4.5-1.5 7-.5z"/>'),
    "Tag-music-to-listen-to": ("#d9731f", '<path d="M9.5 17V6.5l9-2V15"/><circle cx="7.5" cy="17" r="2"/><circle cx="16.5" cy="15" r="2"/>'),
    "Tag-source-for-article": ("#2f6fde", '<path d="M7 4h7l4 4v12H7z"/><path d="M9.5 12.5c0-1.2.7-2 1.8-2.3M13 12.5c0-1.2.7-2 1.8-2.3"/><path d="M9.5 16h6"/>'),
    "Tag-remember-for-blog": ("#1f8a4c", '<path d="M15.5 4.5l4 4L9 19H5v-4z"/><path d="M13.5 6.5l4 4"/>'),
    "Tag-send-in-email": ("#2f6fde", '<path d="M4.5 7h15v10h-15z"/><path d="M4.5 7l7.5 6 7.5-6"/>'),
}
for name, colour in todo_colours.items():
    mark = todo_marks.get(name, "")
    tags["Tag-" + name] = (colour, BOX + mark)
    tags["Tag-" + name + "-completed"] = (colour, BOX + TICK)

here = os.path.dirname(os.path.abspath(__file__))
for name, (colour, path) in glyphs.items():
    svg = HEAD + TILE.format(c=colour) + G.format(p=path) + "</svg>\n"
    with open(os.path.join(here, name + ".svg"), "w") as f:
        f.write(svg)
for name, (colour, path) in status.items():
    svg = HEAD + DOT.format(c=colour) + G.format(p=path).replace('stroke-width="1.7"', 'stroke-width="2.2"') + "</svg>\n"
    with open(os.path.join(here, name + ".svg"), "w") as f:
        f.write(svg)
for name, (colour, path) in tags.items():
    svg = HEAD + TAGLINE.format(c=colour, p=path) + "</svg>\n"
    with open(os.path.join(here, name + ".svg"), "w") as f:
        f.write(svg)
print(len(glyphs) + len(status) + len(tags), "icons")
