#!/usr/bin/python3
"""Writes the seeds of the bundle and load-then-render fuzz corpora from the committed .mi
and DXF seeds. Run from the repository root after make_dxf_seeds.py."""
import pathlib
import zipfile

corpus = pathlib.Path("tests/fuzz/corpus")
mi = {p.name: p.read_bytes() for p in sorted((corpus / "mi_reader").glob("*.mi"))}
dxf = {p.name: p.read_bytes() for p in sorted((corpus / "dxf_import").glob("*.dxf"))}

bundles = corpus / "bundle_reader"
bundles.mkdir(exist_ok=True)


def bundle(name, members, method=zipfile.ZIP_DEFLATED):
    with zipfile.ZipFile(bundles / name, "w", method) as z:
        for member, data in members:
            z.writestr(member, data)


bundle("mi.bdl", [("readme.txt", b"x"), ("every_kind.mi", mi["every_kind.mi"])])
bundle("mi_stored.bdl", [("platte.MI", mi["platte.mi"])], zipfile.ZIP_STORED)
bundle("dxf.bdl", [("sub/dir/blocks.dxf", dxf["blocks_R12.dxf"])])
bundle("dxf_binary.bdl", [("bin.DXF", dxf["blocks_R12_bin.dxf"])])
bundle("escape.bdl", [("../../escape.mi", mi["minimal.mi"])])
bundle("empty_member.bdl", [("empty.mi", b"")])
bundle("no_drawing.bdl", [("a.txt", b"text"), ("dir/", b"")])
bundle("bad_member.bdl", [("bad.mi", mi["truncated.mi"]), ("good.mi", mi["minimal.mi"])])
whole = (bundles / "mi.bdl").read_bytes()
(bundles / "truncated.bdl").write_bytes(whole[: len(whole) // 2])
(bundles / "not_zip.bdl").write_bytes(b"PK\x03\x04 this is not an archive")

render = corpus / "load_render"
render.mkdir(exist_ok=True)
# first byte: bit 0 DXF instead of .mi, bit 1 the standard pen transformation, bit 2 top left
for i, name in enumerate(["every_kind.mi", "platte.mi", "text_escapes.mi", "not_finite.mi"]):
    (render / name).write_bytes(bytes([(i * 2) & 6]) + mi[name])
for i, name in enumerate(["entities_R2000.dxf", "blocks_R2018.dxf", "entities_R12.dxf",
                          "blocks_R12_bin.dxf", "not_finite.dxf", "self_insert.dxf"]):
    (render / name).write_bytes(bytes([1 | ((i * 2) & 6)]) + dxf[name])
