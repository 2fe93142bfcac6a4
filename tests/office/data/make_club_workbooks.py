#!/usr/bin/env python3
# Writes the hand-made workbooks of the tests: verein.xlsx, a club's workbook
# with a merged and filled title, fonts, column widths, pre-formatted header
# cells, a formula and its calculation chain; minimal.xlsx, a valid workbook
# without the optional shared strings and styles.
import zipfile

MAIN = 'http://schemas.openxmlformats.org/spreadsheetml/2006/main'
REL = 'http://schemas.openxmlformats.org/officeDocument/2006/relationships'
PKG = 'http://schemas.openxmlformats.org/package/2006/relationships'
HEAD = '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'


def types(parts):
    o = ''.join(f'<Override PartName="/{p}" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.{t}+xml"/>'
                for p, t in parts)
    return (HEAD + '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
            '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>'
            '<Default Extension="xml" ContentType="application/xml"/>' + o + '</Types>')


def rels(items):
    r = ''.join(f'<Relationship Id="{i}" Type="{REL}/{t}" Target="{g}"/>' for i, t, g in items)
    return HEAD + f'<Relationships xmlns="{PKG}">' + r + '</Relationships>'


def workbook(names):
    s = ''.join(f'<sheet name="{n}" sheetId="{k + 1}" r:id="rId{k + 1}"/>' for k, n in enumerate(names))
    return HEAD + f'<workbook xmlns="{MAIN}" xmlns:r="{REL}"><sheets>{s}</sheets></workbook>'


def write(path, files):
    with zipfile.ZipFile(path, 'w', zipfile.ZIP_DEFLATED) as z:
        for name, text in files:
            z.writestr(name, text)


ROOT_RELS = rels([('rId1', 'officeDocument', 'xl/workbook.xml')])

club_sheet = (HEAD + f'<worksheet xmlns="{MAIN}" xmlns:r="{REL}"><dimension ref="A1:K7"/>'
              '<cols><col min="1" max="1" width="6.5" customWidth="1"/><col min="2" max="2" width="28" customWidth="1"/></cols>'
              '<sheetData>'
              '<row r="1" spans="1:11" ht="24" customHeight="1"><c r="A1" s="1" t="inlineStr"><is><t>Vereinsmeisterschaft</t></is></c>'
              '<c r="B1" s="1"/><c r="K1" s="1"/></row>'
              '<row r="3"><c r="A3" t="inlineStr"><is><t>Summe</t></is></c><c r="B3"><f>2+3</f><v>5</v></c></row>'
              '<row r="6" spans="1:11"><c r="A6" s="2"/><c r="B6" s="2"/><c r="M6" t="inlineStr"><is><t>Notiz</t></is></c></row>'
              '<row r="7"><c r="D7" s="2"><v>0.5</v></c></row>'
              '</sheetData><mergeCells count="1"><mergeCell ref="A1:K1"/></mergeCells></worksheet>')
notes_sheet = (HEAD + f'<worksheet xmlns="{MAIN}"><sheetData><row r="2"><c r="B2" t="inlineStr"><is><t>Kaffee</t></is></c></row>'
               '</sheetData></worksheet>')
club_styles = (HEAD + f'<styleSheet xmlns="{MAIN}">'
               '<fonts count="2"><font><sz val="10"/><name val="Arial"/></font><font><b/><sz val="16"/><color rgb="FF1F3864"/><name val="Arial"/></font></fonts>'
               '<fills count="3"><fill><patternFill patternType="none"/></fill><fill><patternFill patternType="gray125"/></fill>'
               '<fill><patternFill patternType="solid"><fgColor rgb="FFFFFF00"/><bgColor indexed="64"/></patternFill></fill></fills>'
               '<borders count="2"><border><left/><right/><top/><bottom/><diagonal/></border>'
               '<border><left style="thin"/><right style="thin"/><top style="thin"/><bottom style="thin"/><diagonal/></border></borders>'
               '<cellStyleXfs count="1"><xf numFmtId="0" fontId="0" fillId="0" borderId="0"/></cellStyleXfs>'
               '<cellXfs count="3"><xf numFmtId="0" fontId="0" fillId="0" borderId="0" xfId="0"/>'
               '<xf numFmtId="0" fontId="1" fillId="2" borderId="0" xfId="0" applyFont="1" applyFill="1"><alignment horizontal="center"/></xf>'
               '<xf numFmtId="0" fontId="0" fillId="0" borderId="1" xfId="0" applyBorder="1"/></cellXfs>'
               '<cellStyles count="1"><cellStyle name="Standard" xfId="0" builtinId="0"/></cellStyles></styleSheet>')
calc_chain = HEAD + f'<calcChain xmlns="{MAIN}"><c r="B3" i="1"/></calcChain>'

write('verein.xlsx', [
    ('[Content_Types].xml', types([('xl/workbook.xml', 'sheet.main'), ('xl/worksheets/sheet1.xml', 'worksheet'),
                                   ('xl/worksheets/sheet2.xml', 'worksheet'), ('xl/styles.xml', 'styles'),
                                   ('xl/calcChain.xml', 'calcChain')])),
    ('_rels/.rels', ROOT_RELS),
    ('xl/workbook.xml', workbook(['Bambini', 'Notizen'])),
    ('xl/_rels/workbook.xml.rels', rels([('rId1', 'worksheet', 'worksheets/sheet1.xml'),
                                         ('rId2', 'worksheet', 'worksheets/sheet2.xml'),
                                         ('rId3', 'styles', 'styles.xml'), ('rId4', 'calcChain', 'calcChain.xml')])),
    ('xl/worksheets/sheet1.xml', club_sheet),
    ('xl/worksheets/sheet2.xml', notes_sheet),
    ('xl/styles.xml', club_styles),
    ('xl/calcChain.xml', calc_chain),
])

minimal_sheet = (HEAD + f'<worksheet xmlns="{MAIN}"><sheetData>'
                 '<row r="1"><c r="A1" t="inlineStr"><is><t>StNr</t></is></c><c r="B1" t="inlineStr"><is><t>Fahrer/in</t></is></c></row>'
                 '<row r="2"><c r="A2"><v>7</v></c><c r="B2" t="inlineStr"><is><t>Kurz, Ina</t></is></c></row>'
                 '</sheetData></worksheet>')
write('minimal.xlsx', [
    ('[Content_Types].xml', types([('xl/workbook.xml', 'sheet.main'), ('xl/worksheets/sheet1.xml', 'worksheet')])),
    ('_rels/.rels', ROOT_RELS),
    ('xl/workbook.xml', workbook(['Junioren'])),
    ('xl/_rels/workbook.xml.rels', rels([('rId1', 'worksheet', 'worksheets/sheet1.xml')])),
    ('xl/worksheets/sheet1.xml', minimal_sheet),
])
