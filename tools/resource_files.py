"""Writes a generator's resource files into their folder, or checks that they are current."""

import os


def sync_files(tool, out_dir, files, check):
    """files: name -> bytes. Returns the process exit code."""
    out_dir = os.path.normpath(out_dir)
    existing = set(os.listdir(out_dir)) if os.path.isdir(out_dir) else set()
    stale = sorted(existing - set(files))
    changed = []
    for name, data in sorted(files.items()):
        path = os.path.join(out_dir, name)
        try:
            with open(path, "rb") as f:
                same = f.read() == data
        except FileNotFoundError:
            same = False
        if not same:
            changed.append(name)

    if check:
        for name in changed:
            print(f"out of date: {name}")
        for name in stale:
            print(f"not generated: {name}")
        return 1 if changed or stale else 0

    os.makedirs(out_dir, exist_ok=True)
    for name in changed:
        with open(os.path.join(out_dir, name), "wb") as f:
            f.write(files[name])
    for name in stale:
        os.remove(os.path.join(out_dir, name))
    print(f"{tool}: {len(files)} resources in {out_dir}: "
          f"{len(changed)} written, {len(stale)} removed")
    return 0
