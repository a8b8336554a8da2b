// An HDF5 file read through the HDF5 C library, with every fault located: the
// library's own error printing is off, and its error stack becomes a Failure
// "file: dataset: what was expected (the library's reason)".
#pragma once

#include <hdf5.h>

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace voxmill::h5 {

// An identifier of the library, closed with the object.
class Handle {
public:
    Handle() = default;
    Handle(hid_t id, herr_t (*close)(hid_t)) : id_(id), close_(close) {}
    Handle(Handle&& other) noexcept : id_(other.id_), close_(other.close_) { other.id_ = H5I_INVALID_HID; }
    Handle& operator=(Handle&& other) noexcept;
    ~Handle();
    hid_t get() const { return id_; }

private:
    hid_t id_ = H5I_INVALID_HID;
    herr_t (*close_)(hid_t) = nullptr;
};

class Dataset;

class File {
public:
    // Opens `path` read-only; a Failure when the library cannot read it as HDF5
    // (a file cut short, a broken superblock).
    explicit File(std::string path);

    const std::string& path() const { return path_; }

    // Whether every link of the slash-separated `object` exists.
    bool has(std::string_view object) const;

    // The dataset at `object`; a Failure when there is none.
    Dataset dataset(const std::string& object) const;

    hid_t id() const { return file_.get(); }

private:
    std::string path_;
    Handle file_;
};

class Dataset {
public:
    Dataset(const File& file, const std::string& object);

    const std::vector<hsize_t>& shape() const { return shape_; }
    std::size_t elements() const;

    // Throws the Failure "file: dataset: `what`".
    [[noreturn]] void fail(std::string_view what) const;

    // Refuses its shape unless it `fits` what the user is told is `expected`.
    void expect_shape(bool fits, std::string_view expected) const;

    // The values as doubles: from integers or floating point of any size.
    std::vector<double> reals() const;
    // The values as integers; refused unless stored as integers.
    std::vector<long long> integers() const;
    // The strings, of fixed length, without trailing blanks and NULs.
    std::vector<std::string> texts() const;

    // Refuses values that are not 64-bit floating point (no conversion on reading).
    void expect_doubles() const;

    // Whether the file holds every value as stored, uncompressed: what it
    // claims is then no more than its size.
    bool stored_whole() const;

    // Refuses a dataset of more values than the file holds, stored neither
    // whole nor compressed: the library would make up the rest.
    void expect_stored() const;

    // The block of values from `start` (an index per dimension) with the
    // extents `count`, in the dataset's order, into out[0, product of count).
    void read(std::span<const hsize_t> start, std::span<const hsize_t> count, double* out) const;

private:
    // Reads the whole dataset as `memory_type` into `out`, or fails.
    void read_all(hid_t memory_type, void* out) const;

    std::string file_path_, name_;
    Handle dataset_, type_;
    std::vector<hsize_t> shape_;
};

}  // namespace voxmill::h5
