#!/usr/bin/python3
"""Makes the workbooks the spreadsheet reader's tests read, in tests/data/sheets/.

Every workbook holds the same two sheets, "Run 1" and "Run 2": a preamble of name/value rows,
an empty row, a header "V, ml" / "pH" with a note two columns to its right (a sparse row),
titration points (one of them a formula), and on the second sheet a boolean and a formula
that gives text.

The .xlsx and .ods files are written here by hand with zipfile; the .xls files with xlwt
(Debian package python3-xlwt, hence Debian's python3 above). Run it from anywhere:
    /usr/bin/python3 scripts/make-test-sheets.py
The files are committed; the tests never run this script.
"""
import os
import struct
import zipfile

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "data", "sheets")
STAMP = (2024, 3, 1, 12, 0, 0)  # fixed, so that a rerun gives the same bytes


def write_zip(path, entries):
    """entries: (name, text, compress) in archive order."""
    with zipfile.ZipFile(path, "w") as z:
        for name, text, compress in entries:
            info = zipfile.ZipInfo(name, date_time=STAMP)
            info.compress_type = zipfile.ZIP_DEFLATED if compress else zipfile.ZIP_STORED
            info.external_attr = 0o644 << 16
            z.writestr(info, text.encode("utf-8"))


# ---------------------------------------------------------------------------------------- xlsx

NS_MAIN = "http://schemas.openxmlformats.org/spreadsheetml/2006/main"
NS_REL = "http://schemas.openxmlformats.org/officeDocument/2006/relationships"
XML_HEAD = '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'

CONTENT_TYPES = XML_HEAD + """<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">
<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>
<Default Extension="xml" ContentType="application/xml"/>
<Override PartName="/xl/workbook.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/>
<Override PartName="/xl/worksheets/sheet1.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/>
<Override PartName="/xl/worksheets/sheet2.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/>
<Override PartName="/xl/sharedStrings.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml"/>
<Override PartName="/xl/styles.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml"/>
</Types>"""

ROOT_RELS = XML_HEAD + """<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">
<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="xl/workbook.xml"/>
</Relationships>"""

# The sheets' relationship ids do not follow their order, and one target is absolute.
WORKBOOK = XML_HEAD + f"""<workbook xmlns="{NS_MAIN}" xmlns:r="{NS_REL}">
<workbookPr defaultThemeVersion="124226"/>
<bookViews><workbookView activeTab="1"/></bookViews>
<sheets>
<sheet name="Run 1" sheetId="1" r:id="rId2"/>
<sheet name="Run 2" sheetId="2" r:id="rId1"/>
</sheets>
<calcPr calcId="145621"/>
</workbook>"""

WORKBOOK_RELS = XML_HEAD + f"""<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">
<Relationship Id="rId1" Type="{NS_REL}/worksheet" Target="worksheets/sheet2.xml"/>
<Relationship Id="rId2" Type="{NS_REL}/worksheet" Target="/xl/worksheets/sheet1.xml"/>
<Relationship Id="rId3" Type="{NS_REL}/sharedStrings" Target="sharedStrings.xml"/>
<Relationship Id="rId4" Type="{NS_REL}/styles" Target="styles.xml"/>
</Relationships>"""

# 4 is rich text in two runs with a phonetic reading that is not part of the text.
SHARED_STRINGS = XML_HEAD + f"""<sst xmlns="{NS_MAIN}" count="9" uniqueCount="7">
<si><t>HCl with NaOH</t></si>
<si><t>V0, ml</t></si>
<si><t>V, ml</t></si>
<si><t>pH</t></si>
<si><r><rPr><b/><sz val="11"/></rPr><t>no</t></r><r><t>te</t></r><rPh sb="0" eb="2"><t>NOTE</t></rPh></si>
<si><t>checked</t></si>
<si><t>label</t></si>
</sst>"""

STYLES = XML_HEAD + f"""<styleSheet xmlns="{NS_MAIN}">
<numFmts count="1"><numFmt numFmtId="164" formatCode="0.00"/></numFmts>
<fonts count="1"><font><sz val="11"/><name val="Calibri"/></font></fonts>
<fills count="1"><fill><patternFill patternType="none"/></fill></fills>
<borders count="1"><border/></borders>
<cellStyleXfs count="1"><xf numFmtId="0" fontId="0" fillId="0" borderId="0"/></cellStyleXfs>
<cellXfs count="2"><xf numFmtId="0" fontId="0" fillId="0" borderId="0" xfId="0"/><xf numFmtId="164" fontId="0" fillId="0" borderId="0" xfId="0" applyNumberFormat="1"/></cellXfs>
</styleSheet>"""

# Numbers as a spreadsheet program writes them: 17 significant digits, an exponent; row 11
# has cells without references; row 20 only a formatted empty cell.
SHEET1 = XML_HEAD + f"""<worksheet xmlns="{NS_MAIN}" xmlns:r="{NS_REL}">
<dimension ref="A1:E20"/>
<sheetViews><sheetView workbookViewId="0"/></sheetViews>
<sheetFormatPr defaultRowHeight="15"/>
<cols><col min="1" max="2" width="12" customWidth="1"/></cols>
<sheetData>
<row r="1" spans="1:2"><c r="A1" t="inlineStr"><is><t>Sample</t></is></c><c r="B1" t="s"><v>0</v></c></row>
<row r="2" spans="1:2"><c r="A2" t="s"><v>1</v></c><c r="B2"><v>20</v></c></row>
<row r="3" ht="6" customHeight="1"/>
<row r="4" spans="1:4"><c r="A4" t="s"><v>2</v></c><c r="B4" t="s"><v>3</v></c><c r="D4" t="s"><v>4</v></c></row>
<row r="5"><c r="A5"><v>0</v></c><c r="B5" s="1"><v>1.07</v></c></row>
<row r="6"><c r="A6"><v>0.5</v></c><c r="B6" s="1"><v>1.0900000000000001</v></c></row>
<row r="7"><c r="A7"><v>1</v></c><c r="B7" s="1"><v>1.1000000000000001</v></c></row>
<row r="8"><c r="A8"><f>A7+0.5</f><v>1.5</v></c><c r="B8" s="1"><v>1.1499999999999999</v></c></row>
<row r="9"><c r="A9"><v>2.0000000000000004</v></c><c r="B9" s="1"><v>1.2</v></c></row>
<row r="10"><c r="A10"><v>2.5</v></c><c r="B10" s="1"><v>1.3333333333333333</v></c></row>
<row r="11"><c><v>3</v></c><c s="1"><v>1.2E1</v></c></row>
<row r="20"><c r="E20" s="1"/></row>
</sheetData>
<pageMargins left="0.7" right="0.7" top="0.75" bottom="0.75" header="0.3" footer="0.3"/>
</worksheet>"""

SHEET2 = XML_HEAD + f"""<worksheet xmlns="{NS_MAIN}" xmlns:r="{NS_REL}">
<dimension ref="A1:B7"/>
<sheetData>
<row r="1"><c r="A1" t="s"><v>2</v></c><c r="B1" t="s"><v>3</v></c></row>
<row r="2"><c r="A2"><v>0</v></c><c r="B2"><v>2.87</v></c></row>
<row r="3"><c r="A3"><v>1</v></c><c r="B3"><v>4.75</v></c></row>
<row r="4"><c r="A4"><v>2</v></c><c r="B4"><v>8.7200000000000006</v></c></row>
<row r="6"><c r="A6" t="s"><v>5</v></c><c r="B6" t="b"><v>1</v></c></row>
<row r="7"><c r="A7" t="s"><v>6</v></c><c r="B7" t="str"><f>"run"&amp;" 2"</f><v>run 2</v></c></row>
</sheetData>
</worksheet>"""


def make_xlsx(path):
    write_zip(path, [
        ("[Content_Types].xml", CONTENT_TYPES, True),
        ("_rels/.rels", ROOT_RELS, True),
        ("xl/workbook.xml", WORKBOOK, True),
        ("xl/_rels/workbook.xml.rels", WORKBOOK_RELS, True),
        ("xl/worksheets/sheet1.xml", SHEET1, True),
        ("xl/worksheets/sheet2.xml", SHEET2, True),
        ("xl/sharedStrings.xml", SHARED_STRINGS, True),
        ("xl/styles.xml", STYLES, True),
    ])


# ----------------------------------------------------------------------------------------- ods

ODS_MIME = "application/vnd.oasis.opendocument.spreadsheet"

MANIFEST = """<?xml version="1.0" encoding="UTF-8"?>
<manifest:manifest xmlns:manifest="urn:oasis:names:tc:opendocument:xmlns:manifest:1.0" manifest:version="1.3">
 <manifest:file-entry manifest:full-path="/" manifest:version="1.3" manifest:media-type="application/vnd.oasis.opendocument.spreadsheet"/>
 <manifest:file-entry manifest:full-path="content.xml" manifest:media-type="text/xml"/>
 <manifest:file-entry manifest:full-path="styles.xml" manifest:media-type="text/xml"/>
</manifest:manifest>"""

ODS_NS = ('xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" '
          'xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0" '
          'xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" '
          'xmlns:of="urn:oasis:names:tc:opendocument:xmlns:of:1.2" '
          'xmlns:dc="http://purl.org/dc/elements/1.1/" '
          'xmlns:calcext="urn:org:documentfoundation:names:experimental:calc:xmlns:calcext:1.0"')


def s(text):
    return f'<table:table-cell office:value-type="string" calcext:value-type="string"><text:p>{text}</text:p></table:table-cell>'


def f(value, shown):
    # The shown text uses a decimal comma, as a program set to such a language writes it.
    return (f'<table:table-cell office:value-type="float" office:value="{value}" '
            f'calcext:value-type="float"><text:p>{shown}</text:p></table:table-cell>')


def row(*cells, tail=16384):
    used = len(cells)
    rest = f'<table:table-cell table:number-columns-repeated="{tail - used}"/>' if tail > used else ""
    return "<table:table-row>" + "".join(cells) + rest + "</table:table-row>\n"


EMPTY = '<table:table-cell/>'

RUN1 = ('<table:table table:name="Run 1" table:style-name="ta1">\n'
        '<table:table-column table:number-columns-repeated="16384"/>\n'
        + row(s("Sample"),
              '<table:table-cell office:value-type="string"><text:p>HCl<text:s/>with '
              '<text:span>NaOH</text:span></text:p></table:table-cell>')
        + row(s("V0, ml"), f("20", "20"))
        + row()
        + row(s("V, ml"),
              '<table:table-cell office:value-type="string"><office:annotation><dc:creator>Lab'
              '</dc:creator><text:p>measured at 25 C</text:p></office:annotation>'
              '<text:p>pH</text:p></table:table-cell>',
              EMPTY, s("note"))
        + row(f("0", "0"), f("1.07", "1,07"))
        + row(f("0.5", "0,5"), f("1.09", "1,09"))
        + row(f("1", "1"), f("1.1", "1,1"))
        + row('<table:table-cell table:formula="of:=[.A7]+0.5" office:value-type="float" '
              'office:value="1.5" calcext:value-type="float"><text:p>1,5</text:p></table:table-cell>',
              f("1.15", "1,15"))
        + row(f("2.0000000000000004", "2"), f("1.2", "1,2"))
        + row(f("2.5", "2,5"), f("1.3333333333333333", "1,33"))
        + row(f("3", "3"), f("12", "12"))
        + '<table:table-row table:number-rows-repeated="1048565">'
          '<table:table-cell table:number-columns-repeated="16384"/></table:table-row>\n'
        + '</table:table>\n')

# Rows 2 to 4 sit in a row group; row 5 is an empty row repeated once.
RUN2 = ('<table:table table:name="Run 2">\n'
        '<table:table-column table:number-columns-repeated="2"/>\n'
        + row(s("V, ml"), s("pH"), tail=2)
        + '<table:table-row-group>\n'
        + row(f("0", "0"), f("2.87", "2,87"), tail=2)
        + row(f("1", "1"), f("4.75", "4,75"), tail=2)
        + row(f("2", "2"), f("8.72", "8,72"), tail=2)
        + '</table:table-row-group>\n'
        + '<table:table-row table:number-rows-repeated="1"><table:table-cell '
          'table:number-columns-repeated="2"/></table:table-row>\n'
        + row(s("checked"),
              '<table:table-cell office:value-type="boolean" office:boolean-value="true" '
              'calcext:value-type="boolean"><text:p>TRUE</text:p></table:table-cell>', tail=2)
        + row(s("label"),
              '<table:table-cell table:formula="of:=&quot;run&quot;&amp;&quot; 2&quot;" '
              'office:value-type="string" calcext:value-type="string"><text:p>run 2</text:p>'
              '</table:table-cell>', tail=2)
        + '</table:table>\n')

CONTENT = ('<?xml version="1.0" encoding="UTF-8"?>\n'
           f'<office:document-content {ODS_NS} office:version="1.3">\n'
           '<office:scripts/>\n<office:automatic-styles/>\n'
           '<office:body><office:spreadsheet>\n'
           '<table:calculation-settings table:automatic-find-labels="false"/>\n'
           + RUN1 + RUN2 +
           '<table:named-expressions/>\n'
           '</office:spreadsheet></office:body></office:document-content>\n')

ODS_STYLES = ('<?xml version="1.0" encoding="UTF-8"?>\n'
              f'<office:document-styles {ODS_NS} office:version="1.3"/>\n')


def make_ods(path):
    write_zip(path, [
        ("mimetype", ODS_MIME, False),  # first and stored, as the format asks
        ("META-INF/manifest.xml", MANIFEST, True),
        ("content.xml", CONTENT, True),
        ("styles.xml", ODS_STYLES, True),
    ])


# ----------------------------------------------------------------------------------------- xls

def xls_workbook():
    import xlwt
    book = xlwt.Workbook(encoding="utf-8")
    run1 = book.add_sheet("Run 1")
    cells = {
        (0, 0): "Sample", (0, 1): "HCl with NaOH",
        (1, 0): "V0, ml", (1, 1): 20,
        (3, 0): "V, ml", (3, 1): "pH", (3, 3): "note",
        (4, 0): 0, (4, 1): 1.07,
        (5, 0): 0.5, (5, 1): 1.09,
        (6, 0): 1, (6, 1): 1.1,
        (7, 0): xlwt.Formula("A7+0.5"), (7, 1): 1.15,
        (8, 0): 2.0000000000000004, (8, 1): 1.2,
        (9, 0): 2.5, (9, 1): 1.3333333333333333,
        (10, 0): 3, (10, 1): 12,
    }
    for (r, c), value in cells.items():
        run1.write(r, c, value)
    run1.write(19, 4, None, xlwt.easyxf(num_format_str="0.00"))  # a formatted empty cell
    run2 = book.add_sheet("Run 2")
    cells = {
        (0, 0): "V, ml", (0, 1): "pH",
        (1, 0): 0, (1, 1): 2.87,
        (2, 0): 1, (2, 1): 4.75,
        (3, 0): 2, (3, 1): 8.72,
        (5, 0): "checked", (5, 1): True,
        (6, 0): "label", (6, 1): "run 2",
    }
    for (r, c), value in cells.items():
        run2.write(r, c, value)
    return book


def set_formula_result(data, value):
    # xlwt leaves a formula's result empty; a spreadsheet program stores what it computed.
    empty = struct.pack("<Q", 0xFFFF000000000003)
    at = data.find(empty)
    assert at > 0 and data.find(empty, at + 1) == -1
    data[at:at + 8] = struct.pack("<d", value)


def make_xls(path):
    book = xls_workbook()
    book.save(path)
    data = bytearray(open(path, "rb").read())
    set_formula_result(data, 1.5)
    open(path, "wb").write(data)


def make_password_xls(path):
    # A workbook that says it is protected by a password: a FILEPASS record (XOR
    # obfuscation) right after the first BOF record.
    book = xls_workbook()
    header = book._Workbook__intf_hdr_rec
    filepass = struct.pack("<HHHHH", 0x002F, 6, 0x0000, 0x8A3C, 0xCC4B)
    book._Workbook__intf_hdr_rec = lambda: filepass + header()
    book.save(path)


def make_encrypted_package(path):
    # A password-protected .xlsx is a compound file holding "EncryptionInfo" and
    # "EncryptedPackage" instead of a zip. This one holds an "EncryptedPackage" stream.
    xls_workbook().save(path)
    data = bytearray(open(path, "rb").read())
    old = "Workbook".encode("utf-16-le") + b"\0\0"
    new = "EncryptedPackage".encode("utf-16-le") + b"\0\0"
    at = data.find(old)
    while at >= 0 and at % 128 != 0:
        at = data.find(old, at + 1)
    assert at >= 0
    data[at:at + 64] = new + b"\0" * (64 - len(new))
    data[at + 64:at + 66] = struct.pack("<H", len(new))
    open(path, "wb").write(data)


def make_damaged_xls(path):
    # A compound file whose directory entry claims a name of 65535 bytes in a field of 64: a
    # reader that believes it reads far outside the directory.
    data = bytearray(open(os.path.join(OUT, "titration.xls"), "rb").read())
    name = "Root Entry".encode("utf-16-le") + b"\0\0"
    at = data.find(name)
    assert at >= 0 and at % 128 == 0
    data[at + 64:at + 66] = struct.pack("<H", 0xFFFF)
    open(path, "wb").write(data)


def main():
    os.makedirs(OUT, exist_ok=True)
    make_xlsx(os.path.join(OUT, "titration.xlsx"))
    make_ods(os.path.join(OUT, "titration.ods"))
    make_xls(os.path.join(OUT, "titration.xls"))
    make_password_xls(os.path.join(OUT, "password.xls"))
    make_encrypted_package(os.path.join(OUT, "encrypted.xlsx"))
    make_damaged_xls(os.path.join(OUT, "damaged.xls"))


if __name__ == "__main__":
    main()
