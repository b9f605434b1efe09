# Plans, reports and predictions for the modules that commission devices through
# cfgutil commission. The rules that decide a device's fate stay in cfgutil; this
# only writes its plan, reads its report, and in check mode looks without sending.
from __future__ import absolute_import, division, print_function

__metaclass__ = type

import csv
import hashlib
import io
import os

from ansible.module_utils.common.text.converters import to_bytes

COLUMNS = ("hardware_address", "ip", "firmware", "firmware_version", "destination",
           "web_pages", "web_destination")
FILE_COLUMNS = ("firmware", "web_pages")
DESTINATIONS = ("destination", "web_destination")
SETTLED = ("done", "already done")
# Outcomes after which nothing was sent that changes a device.
UNCHANGED = ("already done", "not started", "failed at probe")

ROW_OPTION = dict(
    hardware_address=dict(type="str", required=True),
    ip=dict(type="str", required=True),
    firmware=dict(type="str"),
    firmware_version=dict(type="str"),
    destination=dict(type="str"),
    web_pages=dict(type="str"),
    web_destination=dict(type="str"),
)


def normal_hw(text):
    return (text or "").strip().upper().replace(":", "-")


def plan_text(rows):
    out = io.StringIO()
    writer = csv.writer(out, lineterminator="\n")
    writer.writerow(COLUMNS)
    for row in rows:
        writer.writerow([row.get(name) or "" for name in COLUMNS])
    return out.getvalue()


def write_if_changed(path, text):
    """Writes text to path unless it holds it already, through a new file renamed
    over the path (a link there is replaced, never written through)."""
    data = to_bytes(text)
    try:
        with open(path, "rb") as existing:
            if existing.read() == data:
                return False
    except (IOError, OSError):
        pass
    folder = os.path.dirname(path) or "."
    temporary = os.path.join(folder, ".%s.%d.tmp" % (os.path.basename(path), os.getpid()))
    with open(temporary, "wb") as out:
        out.write(data)
    os.rename(temporary, path)
    return True


def read_csv(path):
    """The rows of a CSV file as dicts; none when it does not exist."""
    if not os.path.isfile(path):
        return []
    with open(path, "r", encoding="utf-8-sig", newline="") as source:
        return [dict((k.strip(), (v or "").strip()) for k, v in row.items() if k)
                for row in csv.DictReader(source)]


def sha256(path):
    digest = hashlib.sha256()
    with open(path, "rb") as source:
        for block in iter(lambda: source.read(65536), b""):
            digest.update(block)
    return digest.hexdigest()


def _carried_over(row, folder, earlier):
    """Whether cfgutil's resume would carry the row over from the earlier report:
    the same plan columns, each file the same by name and content."""
    for old in earlier:
        if old.get("outcome") not in SETTLED:
            continue
        if normal_hw(old.get("hardware_address")) != normal_hw(row.get("hardware_address")):
            continue
        if old.get("ip") != (row.get("ip") or "").strip():
            continue
        if old.get("firmware_version_planned", "") != (row.get("firmware_version") or "").strip():
            continue
        # An empty destination is written as the one cfgutil chose; only a named one must match.
        if any((row.get(c) or "").strip() not in ("", old.get(c)) for c in DESTINATIONS):
            continue
        same_files = True
        for column in FILE_COLUMNS:
            name = (row.get(column) or "").strip()
            if not name:
                same_files = same_files and not old.get(column)
                continue
            path = os.path.join(folder, name)
            if (not os.path.isfile(path)
                    or os.path.basename(old.get(column, "")) != os.path.basename(name)
                    or old.get(column + "_sha256") != sha256(path)):
                same_files = False
        if same_files:
            return True
    return False


def predict(rows, folder, earlier, devices):
    """What a run would do to each row, judged from a discovery and the earlier
    report: 'carried over', 'already done', or 'would commission'."""
    by_hw = dict((normal_hw(d.get("hardwareAddress")), d) for d in devices)
    predicted = []
    for line, row in enumerate(rows, start=2):
        device = by_hw.get(normal_hw(row.get("hardware_address")))
        entry = dict(line=line, hardwareAddress=row.get("hardware_address"),
                     address=row.get("ip"),
                     currentAddress=device.get("address") if device else None,
                     currentFirmwareVersion=device.get("firmwareVersion") if device else None)
        planned = (row.get("firmware_version") or "").strip()
        if _carried_over(row, folder, earlier):
            entry["outcome"] = "carried over"
        elif (device and device.get("address") == (row.get("ip") or "").strip()
              and not device.get("conflict")
              and (not planned or device.get("firmwareVersion") == planned)
              and not (row.get("web_pages") or "").strip()):
            entry["outcome"] = "already done"
        else:
            entry["outcome"] = "would commission"
        predicted.append(entry)
    return predicted


def run_changed(rows):
    """Whether a run sent anything that changes a device."""
    return any(not r.get("resumed") and r.get("outcome") not in UNCHANGED for r in rows)


def commission_arguments(params, plan, report, resume):
    arguments = ["commission", plan, "--report", report]
    if resume:
        arguments += ["--resume", report]
    if params.get("data_file"):
        arguments += ["--file", params["data_file"]]
    if params.get("jobs"):
        arguments += ["--jobs", str(params["jobs"])]
    if params.get("create_infobase"):
        arguments.append("--create-infobase")
    return arguments
