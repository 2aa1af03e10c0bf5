"""Many cases at once through Dask's distributed scheduler: each case is the
keyword arguments of flowskin.render (a "source" and any of size, warmup,
frames, preset, view and controls by name), rendered on a worker; the frames
come back in the order of the cases.

    from dask.distributed import Client, LocalCluster
    with LocalCluster(n_workers=2, threads_per_worker=1) as cluster, Client(cluster) as client:
        results = flowskin.render_many(cases, client)

A worker draws one case at a time: give workers one thread each.
"""
import concurrent.futures

# Flowskin's drawing belongs to the thread that first drew in a process (its
# application object lives there, and a load hands its result to that thread
# and waits for it). A worker may run its tasks on different threads of its
# pool, so every case of a worker is drawn on this one thread of its own.
_drawing_thread = None


def _render_case(case):
    global _drawing_thread
    import flowskin  # on the worker

    case = dict(case)
    source = case.pop("source")
    if _drawing_thread is None:
        _drawing_thread = concurrent.futures.ThreadPoolExecutor(max_workers=1, thread_name_prefix="flowskin")
    return _drawing_thread.submit(flowskin.render, source, **case).result()


def render_many(cases, client):
    """A list with, for every case, the list of its frames (H x W x 3 uint8)."""
    cases = [dict(c) for c in cases]
    for i, c in enumerate(cases):
        if "source" not in c:
            raise ValueError(f"case {i} names no source")
    futures = client.map(_render_case, cases, pure=False)
    return client.gather(futures)
