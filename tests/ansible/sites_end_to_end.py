#!/usr/bin/env python3
"""The commission-sites playbook against two sites, each a pair of network namespaces of
this test's own: one holds the site's host (where cfgutil runs), the other its simulated
devices. Both sites use one subnet, as separate segments may. Check mode first, then the
real run, then a rerun that must change nothing.

Usage: sites_end_to_end.py COLLECTION_DIR CFGUTIL DEVSIM   (exit status 77: skipped)"""
import csv
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

SKIP = 77
SUBNET = "198.18.7."
SITES = ("north", "south")
DEVICES = 3
FIRMWARE_VERSION = "5.0"


def skip(why):
    print("SKIP: " + why)
    sys.exit(SKIP)


def ip(*arguments):
    subprocess.run(["ip"] + list(arguments), check=True, capture_output=True)


def hardware(site, i):
    return "02-00-00-7%d-00-%02X" % (SITES.index(site), i)


class Site:
    def __init__(self, name, serial, folder):
        self.name = name
        pid = os.getpid()
        # NetnsFixture's name pattern, so a crashed run's namespaces are removed by later tests.
        self.host_ns = "cfgtest-%d-%d" % (pid, 900 + 2 * serial)
        self.device_ns = "cfgtest-%d-%d" % (pid, 901 + 2 * serial)
        self.folder = folder
        self.simulator = None

    def start(self, devsim):
        ip("netns", "add", self.host_ns)
        ip("netns", "add", self.device_ns)
        ip("-n", self.host_ns, "link", "add", "seg0", "type", "veth", "peer", "name", "dev0",
           "netns", self.device_ns)
        for ns, link, host in ((self.host_ns, "seg0", 1), (self.device_ns, "dev0", 2)):
            ip("-n", ns, "addr", "add", "%s%d/24" % (SUBNET, host), "dev", link)
            ip("-n", ns, "link", "set", link, "up")
            ip("-n", ns, "link", "set", "lo", "up")
        store = os.path.join(self.folder, "store-" + self.name)
        os.makedirs(store)
        self.simulator = subprocess.Popen(
            ["ip", "netns", "exec", self.device_ns, devsim, "--bind", "0.0.0.0", "--interface",
             "dev0", "--query-port", "30718", "--tftp-port", "69", "--store", store,
             "--devices", str(DEVICES), "--first-address", SUBNET + "100",
             "--hardware-address", hardware(self.name, 0), "--upgraded-version", "05.00",
             "--no-datagram-log", "--log", os.devnull],
            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        line = self.simulator.stdout.readline()
        if "devsim ready" not in line:
            raise RuntimeError("devsim did not start in %s: %s" % (self.device_ns, line))

    def stop(self):
        if self.simulator:
            self.simulator.terminate()
            try:
                self.simulator.wait(5)
            except subprocess.TimeoutExpired:
                self.simulator.kill()
        for ns in (self.host_ns, self.device_ns):
            subprocess.run(["ip", "netns", "delete", ns], capture_output=True)

    def devices(self, cfgutil):
        """Hardware address -> (address, firmware version), as a discovery finds them."""
        out = subprocess.run(["ip", "netns", "exec", self.host_ns, cfgutil, "--json", "discover",
                              "--timeout", "1"], capture_output=True, text=True).stdout
        return dict((d["hardwareAddress"], (d["address"], d["firmwareVersion"]))
                    for d in json.loads(out)["devices"])


def write_inventory(folder, sites, cfgutil):
    with open(os.path.join(folder, "firmware.rom"), "wb") as image:
        image.write(os.urandom(3000))
    os.makedirs(os.path.join(folder, "host_vars"))
    with open(os.path.join(folder, "sites.ini"), "w") as inventory:
        inventory.write("[sites]\n")
        for site in sites:
            inventory.write('%s ansible_connection=local configutility_cfgutil="ip netns exec %s %s"'
                            "\n" % (site.name, site.host_ns, cfgutil))
    common = {"configutility_work_dir": os.path.join(folder, "work", "{{ inventory_hostname }}"),
              "configutility_data_file": os.path.join(folder, "work", "{{ inventory_hostname }}.txt"),
              "configutility_files": [os.path.join(folder, "firmware.rom")],
              }
    rows = [[hardware(site.name, i), SUBNET + str(10 + i), "firmware.rom" if i == 0 else "",
             FIRMWARE_VERSION if i == 0 else ""] for site in sites for i in range(DEVICES)]
    # One site's plan is a CSV on the controller, the other's rows are variables.
    north = os.path.join(folder, "north-plan.csv")
    with open(north, "w", newline="") as plan:
        writer = csv.writer(plan)
        writer.writerow(["hardware_address", "ip", "firmware", "firmware_version"])
        writer.writerows(rows[:DEVICES])
    variables = {
        "north": dict(common, configutility_plan=north),
        "south": dict(common, configutility_rows=[
            dict(zip(("hardware_address", "ip", "firmware", "firmware_version"), r))
            for r in rows[DEVICES:]]),
    }
    for name, values in variables.items():
        with open(os.path.join(folder, "host_vars", name + ".yml"), "w") as out:
            json.dump(values, out)  # JSON is YAML
    return rows


def play(folder, collection, check):
    environment = dict(os.environ, ANSIBLE_COLLECTIONS_PATH=os.path.join(folder, "collections"),
                       ANSIBLE_LOCAL_TEMP=os.path.join(folder, "tmp"),
                       ANSIBLE_REMOTE_TEMP=os.path.join(folder, "tmp"),
                       ANSIBLE_PYTHON_INTERPRETER="auto_silent", ANSIBLE_NOCOLOR="1",
                       ANSIBLE_CONFIG=os.path.join(folder, "none.cfg"),
                       ANSIBLE_LOCALHOST_WARNING="false", ANSIBLE_RETRY_FILES_ENABLED="false")
    command = ["ansible-playbook", "-i", os.path.join(folder, "sites.ini"),
               os.path.join(collection, "playbooks", "commission-sites.yml"),
               "-e", "configutility_report_dir=" + os.path.join(folder, "reports")]
    if check:
        command.append("--check")
    started = time.monotonic()
    run = subprocess.run(command, capture_output=True, text=True, env=environment, timeout=300)
    print("ansible-playbook%s: status %d in %.1f s" % (" --check" if check else "",
                                                         run.returncode, time.monotonic() - started))
    recap = dict((m.group(1), int(m.group(2)))
                 for m in re.finditer(r"^(\S+)\s*:\s*ok=\d+\s+changed=(\d+)", run.stdout, re.M))
    if run.returncode != 0 or not recap or os.environ.get("CFG_VERBOSE"):
        print(run.stdout[-6000:], run.stderr[-3000:])
    return run.returncode, recap


def main():
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    collection, cfgutil, devsim = (os.path.abspath(a) for a in sys.argv[1:])
    if os.geteuid() != 0:
        skip("network namespaces need root")
    for program in ("ip", "ansible-playbook"):
        if not shutil.which(program):
            skip(program + " is not installed (scripts/install-deps.sh installs it)")

    failures = []

    def expect(condition, what):
        if not condition:
            failures.append(what)
            print("FAIL: " + what)

    with tempfile.TemporaryDirectory(prefix="cfgtest-sites-") as folder:
        os.makedirs(os.path.join(folder, "collections", "ansible_collections", "configutility"))
        os.symlink(collection, os.path.join(folder, "collections", "ansible_collections",
                                            "configutility", "devices"))
        open(os.path.join(folder, "none.cfg"), "w").close()
        sites = [Site(name, n, folder) for n, name in enumerate(SITES)]
        try:
            for site in sites:
                site.start(devsim)
            rows = write_inventory(folder, sites, cfgutil)
            fresh = dict((s.name, s.devices(cfgutil)) for s in sites)
            reports = os.path.join(folder, "reports")

            status, recap = play(folder, collection, check=True)
            expect(status == 0, "the check-mode run failed")
            expect(all(fresh[s.name] == s.devices(cfgutil) for s in sites),
                   "the check-mode run changed a device")
            with open(os.path.join(reports, "commission-report-check.json")) as source:
                predicted = json.load(source)
            expect(sorted((r["site"], r["outcome"]) for r in predicted)
                   == sorted((s, "would commission") for s in SITES for dummy in range(DEVICES)),
                   "the check-mode report does not predict every row: %s" % predicted)

            status, recap = play(folder, collection, check=False)
            expect(status == 0, "the real run failed")
            expect(all(recap.get(s, 0) > 0 for s in SITES), "a site did not change: %s" % recap)
            with open(os.path.join(reports, "commission-report.json")) as source:
                merged = json.load(source)
            with open(os.path.join(reports, "commission-report.csv"), newline="") as source:
                table = list(csv.DictReader(source))
            wanted = sorted((s, r[0], r[1]) for s in SITES for r in rows
                            if r[0].startswith(hardware(s, 0)[:11]))
            for name, report in (("JSON", merged), ("CSV", table)):
                expect(sorted((r["site"], r["hardwareAddress"], r["address"]) for r in report)
                       == wanted and all(r["outcome"] == "done" for r in report),
                       "the merged %s report does not hold every row done with its site: %s"
                       % (name, report))
            for site in sites:
                found = site.devices(cfgutil)
                for i in range(DEVICES):
                    expect(found.get(hardware(site.name, i), ("", ""))
                           == (SUBNET + str(10 + i), FIRMWARE_VERSION if i == 0 else "4.10"),
                           "%s %s is not as planned: %s" % (site.name, hardware(site.name, i),
                                                            found))

            status, recap = play(folder, collection, check=False)
            expect(status == 0 and recap and not any(recap.values()),
                   "the rerun changed something: status %d, %s" % (status, recap))
        finally:
            for site in sites:
                site.stop()
    if failures:
        sys.exit(1)
    print("PASS")


if __name__ == "__main__":
    main()
