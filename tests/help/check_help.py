#!/usr/bin/env python3
"""Checks the compiled help file against its sources.

It reads the file's own directory (the ITSF header, the ITSP directory header
and its PMGL listing chunks), so it shows what the help viewer will find:
every page and picture of the project, the contents and index files, and the
viewer's system files. It also checks that the troubleshooting page names
every message the program can show, in the language of the help's project
file: the English defaults and table, or the table of that language.

With --same it compares two help sources instead (English and a
translation): the same pages, pictures, links and anchors per page, and the
same messages on the troubleshooting page.

usage: check_help.py HELP.chm HELP_SOURCE_FOLDER LanguageKeys.inc LANGUAGE_FOLDER
       check_help.py --same HELP_SOURCE_FOLDER OTHER_SOURCE_FOLDER LANGUAGE_FOLDER
"""
import html
import os
import re
import struct
import sys
import xml.etree.ElementTree as ElementTree

failures = []


def fail(text):
    failures.append(text)


def encint(data, at):
    value = 0
    while True:
        byte = data[at]
        at += 1
        value = (value << 7) | (byte & 0x7F)
        if byte < 0x80:
            return value, at


def chm_directory(path):
    """Name -> (section, offset, length) of every entry in the file."""
    data = open(path, "rb").read()
    if data[:4] != b"ITSF" or struct.unpack_from("<I", data, 4)[0] != 3:
        fail("not a version 3 ITSF file")
        return {}
    directory_offset, directory_length = struct.unpack_from("<QQ", data, 0x48)
    itsp = data[directory_offset:directory_offset + directory_length]
    if itsp[:4] != b"ITSP":
        fail("no ITSP directory header")
        return {}
    header_length, = struct.unpack_from("<I", itsp, 8)
    chunk_size, = struct.unpack_from("<I", itsp, 0x10)
    chunk_count, = struct.unpack_from("<I", itsp, 0x2C)
    entries = {}
    for number in range(chunk_count):
        chunk = itsp[header_length + number * chunk_size:header_length + (number + 1) * chunk_size]
        if chunk[:4] != b"PMGL":
            continue  # index chunks (PMGI) only point at listing chunks
        free_space, = struct.unpack_from("<I", chunk, 4)
        at, end = 0x14, chunk_size - free_space
        while at < end:
            name_length, at = encint(chunk, at)
            name = chunk[at:at + name_length].decode("utf-8")
            at += name_length
            section, at = encint(chunk, at)
            offset, at = encint(chunk, at)
            length, at = encint(chunk, at)
            entries[name] = (section, offset, length)
    return entries


def project_files(source):
    """The files the project file lists, and its contents and index files."""
    files, in_files, named = [], False, {}
    # The project file may be in the help language's code page: only its
    # ASCII names and keys are read.
    for line in open(os.path.join(source, "XVQ.hhp"), encoding="latin-1"):
        line = line.strip()
        if line.startswith("["):
            in_files = line == "[FILES]"
        elif in_files and line:
            files.append(line)
        elif "=" in line:
            key, value = line.split("=", 1)
            named[key] = value
    return files, named


# The code page the viewer reads the title and the contents file in, by the
# project's language.
CODE_PAGES = {"0x0409": "cp1252", "0x0804": "gbk"}


def check_encodings(source, named):
    code_page = CODE_PAGES.get(language_table(source))
    if code_page is None:
        fail("no code page known for the help language " + named["Language"])
        return
    # The compiler decodes the index file as utf-8 into its binary index.
    for name, encoding in (("XVQ.hhp", code_page), (named["Contents file"], code_page),
                           (named["Index file"], "utf-8")):
        data = open(os.path.join(source, name), "rb").read()
        if data.isascii():
            continue
        try:
            data.decode(encoding)
        except UnicodeDecodeError:
            fail("%s is not in %s" % (name, encoding))
            continue
        if encoding != "utf-8":
            try:
                data.decode("utf-8")
                fail("%s is utf-8, but the viewer reads it in %s" % (name, encoding))
            except UnicodeDecodeError:
                pass


def check_chm(chm, source):
    entries = chm_directory(chm)
    files, named = project_files(source)
    check_encodings(source, named)
    for name in files + [named["Contents file"], named["Index file"]]:
        entry = entries.get("/" + name)
        if entry is None:
            fail("missing from the help file: " + name)
            continue
        if not os.path.exists(os.path.join(source, name)):
            fail("the project lists %s, which is not in the source folder" % name)
            continue
        size = os.path.getsize(os.path.join(source, name))
        if entry[2] != size:
            fail("%s holds %d bytes in the help file, %d in the source" % (name, entry[2], size))
    for system in ("/#SYSTEM", "/#TOPICS", "/#URLTBL", "/#STRINGS"):
        if system not in entries:
            fail("the viewer's entry %s is missing" % system)
    # Every page of the folder is listed, and every page is in the contents.
    pages = sorted(n for n in os.listdir(source) if n.endswith(".html"))
    contents = open(os.path.join(source, named["Contents file"]), encoding="latin-1").read()
    for page in pages:
        if page not in files:
            fail("page not in the project: " + page)
        if '"%s"' % page not in contents:
            fail("page not in the table of contents: " + page)
    # Every picture a page shows is compiled in.
    for page in pages:
        text = open(os.path.join(source, page), encoding="utf-8").read()
        for picture in re.findall(r'<img src="([^"]+)"', text):
            if "/" + picture not in entries:
                fail("%s shows %s, which is not in the help file" % (page, picture))
        for link in re.findall(r'<a href="([^"#]+)', text):
            if link not in pages:
                fail("%s links to %s, which is no page" % (page, link))


# The texts the program shows in its message and question windows.
MESSAGE_KEYS = [
    "Prompt", "RestoreTipMessage", "NoRestoreDisk", "ChoseFilePrompt", "ChoseDestDisk", "ChoseSourceDisk",
    "SourcediskAndDestDiskIsSame", "ChoseBackupFile", "SourceDiskIsGreater", "DeleteAllPartitions",
    "QuickActivePoupPromptInfo", "VolumNotFormat", "BackupFinishTipMessage", "RestoreFinishTipMessage",
    "DiskIsSmallMessage", "PromptCancel", "RemoveDisk", "BackupFailedTipMessage", "RestoreFailedTipMessage",
    "TwiceInputNotSame", "OldPasswordError", "PasswordSetFiled", "PasswordSetSuccess", "PasswordError",
    "PasswordTooLong", "PasswordBadCharacters", "PasswordUnsupported", "HotKeyTaken",
    # The backup password and encrypted stores.
    "BackupPasswordNeeded", "BackupPasswordEmpty", "BackupPasswordRemoved", "StorePasswordNote",
    "StoreKeyDamaged", "StoreKeyFailed",
    # The guard's question when a backup's replacements look like an attack, and what follows it.
    "GuardFoundContent", "GuardFoundRenamed", "GuardQuestion", "GuardPutBack", "GuardPutBackDone",
]


def language_table(source):
    """The language table the help is written for, named as its file in the
    language folder: "Language=0x804 Chinese (PRC)" is 0x0804."""
    _, named = project_files(source)
    return "0x%04x" % int(named["Language"].split()[0], 16)


def table_texts(language_folder, table):
    root = ElementTree.parse(os.path.join(language_folder, table + ".xml")).getroot()
    return {element.tag: element.text for element in root if element.text}


def defaults_of(keys_file):
    found = re.findall(r'QTR_LANGUAGE_KEY\((\w+), u"((?:[^"\\]|\\.)*)"\)', open(keys_file).read())
    # The texts as the program shows them: a quote or backslash is escaped in the source.
    return {key: re.sub(r'\\(["\\])', r"\1", text) for key, text in found}


def shown_text(page_html):
    return html.unescape(re.sub(r"<[^>]+>", "", page_html))


def check_troubleshooting(source, keys_file, language_folder):
    defaults = defaults_of(keys_file)
    # A new failure or question text (ending in "!" or "?") must join the list.
    for key, text in defaults.items():
        if text.rstrip().endswith(("!", "?")) and key not in MESSAGE_KEYS:
            fail("message %s is not among the texts the troubleshooting page is checked for" % key)
    page = open(os.path.join(source, "troubleshooting.html"), encoding="utf-8").read()
    shown = shown_text(page)
    table = language_table(source)
    translated = table_texts(language_folder, table)
    for key in MESSAGE_KEYS:
        if key not in defaults:
            fail("no language key " + key)
            continue
        # English pages show the defaults too; a translated page its table's texts.
        texts = {translated[key]} if key in translated else set()
        if table == "0x0409":
            texts.add(defaults[key])
        elif not texts:
            fail("the table %s has no text for %s" % (table, key))
        for text in texts:
            if text not in shown:
                fail("troubleshooting page lacks %s: %r" % (key, text))


def listed_messages(source, language_folder):
    """The keys whose texts the troubleshooting page lists as messages: those
    of MESSAGE_KEYS and any other text of more than two words (shorter ones
    are labels, which a message may contain) found in a message cell."""
    page = open(os.path.join(source, "troubleshooting.html"), encoding="utf-8").read()
    cells = [shown_text(cell) for cell in re.findall(r'<td class="message">(.*?)</td>', page, re.S)]
    english = table_texts(language_folder, "0x0409")
    texts = table_texts(language_folder, language_table(source))
    candidates = [key for key, text in english.items() if key in MESSAGE_KEYS or len(text.split()) > 2]
    return {key for key in candidates
            if key in texts and texts[key].strip() and any(texts[key].strip() in cell for cell in cells)}


def page_outline(path):
    """What must match between the languages on one page."""
    text = open(path, encoding="utf-8").read()
    return {
        "pictures": sorted(re.findall(r'<img src="([^"]+)"', text)),
        "links": sorted(re.findall(r'<a href="([^"]+)"', text)),
        "anchors": sorted(re.findall(r'\b(?:id|name)="([^"]+)"', text)),
    }


def compare_sources(source, other, language_folder):
    def listing(folder, ending):
        return sorted(n for n in os.listdir(folder) if n.endswith(ending)) if os.path.isdir(folder) else []

    pages = listing(source, ".html")
    for name, mine, theirs in (("pages", pages, listing(other, ".html")),
                               ("pictures", listing(os.path.join(source, "pictures"), ".png"),
                                listing(os.path.join(other, "pictures"), ".png"))):
        if mine != theirs:
            fail("%s differ: only in %s: %s; only in %s: %s" % (
                name, source, sorted(set(mine) - set(theirs)), other, sorted(set(theirs) - set(mine))))
    for page in pages:
        if not os.path.exists(os.path.join(other, page)):
            continue
        mine, theirs = page_outline(os.path.join(source, page)), page_outline(os.path.join(other, page))
        for what in mine:
            if mine[what] != theirs[what]:
                fail("%s: the %s differ: %s against %s" % (page, what, mine[what], theirs[what]))
    mine, theirs = listed_messages(source, language_folder), listed_messages(other, language_folder)
    if mine != theirs:
        fail("the troubleshooting pages list other messages: only in %s: %s; only in %s: %s" % (
            source, sorted(mine - theirs), other, sorted(theirs - mine)))


def main():
    if sys.argv[1] == "--same":
        compare_sources(*sys.argv[2:5])
        done = "help sources match"
    else:
        chm, source, keys_file, language_folder = sys.argv[1:5]
        check_chm(chm, source)
        check_troubleshooting(source, keys_file, language_folder)
        done = "help file and troubleshooting page complete"
    for text in failures:
        print("FAIL: " + text)
    if not failures:
        print(done)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
