#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz harnesses into fuzz/corpus/<harness>/.

The seeds are the worked examples of both destination formats and the edge
cases around them, in the form each harness takes: UTF-16LE text for the raw
harnesses, whole file contents for the file harnesses, single fields for the
conversions. Run it again after changing a seed; the files are committed.

Beside these named seeds, each folder keeps the inputs of a long fuzzing run
that reach code the seeds do not (libFuzzer -merge=1), under their hash
names; this script leaves them alone.
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))

GUIDE_EXAMPLE = "(TNC,002,1,3954.5000,11623.2000,B1,3950.2500,11620.1000"
LIST_EXAMPLE = ("(TNC,116.397128,39.916527,Home,推荐,"
                "121.473701,31.230416,Office,最快")

GUIDE_TEXTS = {
    "example": GUIDE_EXAMPLE,
    "two_vias": "(TNC,002,4,3954.5000,11623.2000,B2,3950.2500,11620.1000,"
                "3130.0000,12128.0000",
    "minimal": "(TNC,002,0,3954.5000,11623.2000",
    "b0": "(TNC,002,2,3954.5000,11623.2000,B0",
    "b_alone": "(TNC,002,3,3954.5000,11623.2000,B",
    "no_header": "(TNC,002,1,3954.5000,11623.2000,X,1,2",
    "count_too_big": "(TNC,002,1,3954.5000,11623.2000,B3",
    "count_negative": "(TNC,002,1,3954.5000,11623.2000,B-1",
    "count_huge": "(TNC,002,1,3954.5000,11623.2000,B99999999999999999999",
    "few_vias": "(TNC,002,1,3954.5000,11623.2000,B2,3950.2500,11620.1000,3130",
    "zero_destination": "(TNC,002,1,0000.0000,11623.2000,B9",
    "zero_via": "(TNC,002,1,3954.5000,11623.2000,B1,0000.0000,11620.1000",
    "trailing_comma": GUIDE_EXAMPLE + ",",
    "trailing_nul": "(TNC,002,1,3954.5000,11623.2000\0",
    "short_fields": "(TNC,002,1,3,1",
    "negative": "(TNC,002,1,-3954.5000,-11623.2000",
    "huge_minutes": "(TNC,002,1,39999999999,116e300",
    "bad_route": "(TNC,002,7,3954.5000,11623.2000",
    "many_commas": "," * 250 + "X",
}

NAMES = ["家", "Office", "北京天安门广场", "Station", "上海浦东国际机场"]
WORDS = ["推荐", "最快", "最短", "经济"]


def five_destinations_511():
    """A destination list of five named destinations, 511 bytes in GBK."""
    groups = []
    for i in range(5):
        groups.append([f"{116 + i}.397128", f"{39 - i}.916527", NAMES[i],
                       WORDS[i % 4]])

    def text():
        return "(TNC" + "".join("," + ",".join(g) for g in groups)

    # Pad the names with ASCII until the GBK text is exactly 511 bytes.
    i = 0
    while len(text().encode("gbk")) < 511:
        if len(groups[i][2].encode("gbk")) < 99:
            groups[i][2] += chr(ord("a") + i)
        i = (i + 1) % 5
    assert len(text().encode("gbk")) == 511
    return text()


LIST_TEXTS = {
    "example": LIST_EXAMPLE,
    "five_named_511": five_destinations_511(),
    "tnc_alone": "(TNC",
    "partial_group": "(TNC,116.4,39.9,Home",
    "six_groups": "(TNC" + ",116.4,39.9,A,推荐" * 5 + ",1,1,F,bad",
    "bad_word": "(TNC,116.4,39.9,Home,fast",
    "bad_coordinate": "(TNC,abc,39.9,Home,推荐",
    "trailing_newline": LIST_EXAMPLE + "\n",
    "trailing_comma": LIST_EXAMPLE + ",",
    "long_name": "(TNC,116.4,39.9," + "名" * 60 + ",经济",
    "empty_name": "(TNC,-74.0060,40.7128,,最短",
    "exponent": "(TNC,1e2,-3.5e1,X,推荐,inf,nan,Y,最快",
    "no_tnc": "TNC,116.4,39.9,Home,推荐",
}


INTERCHANGE = [
    ("csv", "comma", "latitude,longitude,name,route\n39.9,116.4,北京,fastest\n"
                     "31.23,121.47,\"Shang, hai\",shortest\n"),
    ("csv", "semicolon", "Lat;Lon;Name;Elevation\r\n52,52;13,405;Berlin;34\r\n"
                         ";;;\r\n"),
    ("csv", "tab_utf16", "\ufeffy\tx\ttitle\ttype\n-33,5\t151,25\tSydney\t最短\n"
                         .encode("utf-16-le")),
    ("csv", "gbk", "lat,lon,name\n1,2,北京\n".encode("gbk")),
    ("csv", "header_only", "lon,lat\n"),
    ("gpx", "route", '<?xml version="1.0" encoding="UTF-8"?><gpx version="1.1">'
                     '<wpt lat="1" lon="2"><name>W</name></wpt><rte><type>fastest'
                     '</type><rtept lat="39.9" lon="116.4"><name>天安门</name>'
                     '</rtept></rte><trk><trkseg><trkpt lat="5" lon="6"/>'
                     '</trkseg></trk></gpx>'),
    ("gpx", "gb2312", '<?xml version="1.0" encoding="GB2312"?><gpx><wpt lat="1" '
                      'lon="2"><name>北京&amp;&#x5317;<![CDATA[x]]></name></wpt>'
                      '</gpx>'.encode("gbk")),
    ("gpx", "latin1", "<?xml version='1.0' encoding='ISO-8859-1'?><gpx><wpt "
                      "lat='1' lon='2'><name>Café</name></wpt></gpx>"
                      .encode("latin-1")),
    ("kml", "placemarks", '<kml xmlns="http://www.opengis.net/kml/2.2"><Document>'
                          '<Folder><Placemark><name>Home</name><Point>'
                          '<coordinates>116.4,39.9,0</coordinates></Point>'
                          '</Placemark></Folder><Placemark><MultiGeometry>'
                          '<LineString><coordinates>1,2 3,4</coordinates>'
                          '</LineString><Polygon/></MultiGeometry></Placemark>'
                          '</Document></kml>'),
    ("geojson", "collection", '{"type":"FeatureCollection","features":[{"type":'
                              '"Feature","geometry":{"type":"Point","coordinates":'
                              '[116.4,39.9]},"properties":{"name":"天安门","route":'
                              '"fastest"}},{"type":"Feature","geometry":{"type":'
                              '"LineString","coordinates":[[1,2],[3,4,5]]},'
                              '"properties":null}]}'),
    ("geojson", "bare_point", '{"type":"Point","coordinates":[-70.5,-33.25]}'),
]


def utf16(text):
    return text.encode("utf-16-le")


def write(harness, name, data):
    folder = os.path.join(HERE, "corpus", harness)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def main():
    for name, text in GUIDE_TEXTS.items():
        write("raw_guide", name, utf16(text))
        body = text.encode("gbk")
        write("file_guide", name, struct.pack("<I", len(body)) + body)
    write("raw_guide", "odd_length", utf16(GUIDE_EXAMPLE) + b"\x41")
    write("raw_guide", "lone_surrogate", utf16("(TNC,002,1,") + b"\x00\xd8" +
          utf16(",3954.5,11623.2"))
    write("raw_guide", "too_long", utf16("(TNC,002,1,3954.5000,11623.2000," +
                                         "x" * 500))
    write("raw_guide", "unit", b"(")
    example = GUIDE_EXAMPLE.encode("gbk")
    write("file_guide", "length_0", b"\0\0\0\0")
    write("file_guide", "length_512", struct.pack("<I", 512) + b"x" * 512)
    write("file_guide", "three_bytes", b"\x37\0\0")
    write("file_guide", "short_body", struct.pack("<I", 100) + b"y" * 60)
    write("file_guide", "trailing_bytes", struct.pack("<I", len(example)) +
          example + b",B2,garbage")
    write("file_guide", "huge_length", b"\xff\xff\xff\xff" + example)

    for name, text in LIST_TEXTS.items():
        write("raw_list", name, utf16(text))
        body = text.encode("gbk")
        if len(body) + 4 <= 511:
            write("file_list", name, b"    " + body)
    write("raw_list", "odd_length", utf16(LIST_EXAMPLE) + b"\x00")
    write("raw_list", "unmappable", utf16("(TNC,116.4,39.9,\U0001F600€Ω,推荐"))
    write("file_list", "four_spaces", b"    ")
    write("file_list", "three_bytes", b"   ")
    write("file_list", "tab", b"   \t(TNC")
    write("file_list", "size_512", b"    " + b"(TNC," + b"z" * 503)
    write("file_list", "size_511", b"    " + b"(TNC," + b"z" * 502)

    fields = ["116.397128", "39.916527", "180", "-74.0060", "-0.0000001",
              "abc", "0", "3954.5000", "11623.2000", "1230.5", "0000.0000",
              " 12", "+1", "-12", "1e308", "-1e308", "nan", "inf", "0x1p4",
              "1,5", "233.0e1", "99999999999", "B2147483648", "推荐", "最快",
              "最短", "经济", "推荐 ", "2", "4", "7"]
    for i, field in enumerate(fields):
        write("coordinates", f"field_{i:02d}", field.encode("gbk"))

    # encode's interchange readers: one small file of each dialect; the
    # round trip takes them behind its control byte (bit 0: plan 1).
    for harness, name, text in INTERCHANGE:
        data = text if isinstance(text, bytes) else text.encode("utf-8")
        write(harness, name, data)
        write("import_round_trip", f"{harness}_{name}", b"\x00" + data)
        write("import_round_trip", f"{harness}_{name}_plan1", b"\x01" + data)


if __name__ == "__main__":
    main()
