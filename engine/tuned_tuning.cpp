#include "engine/tuned_tuning.h"

#include <Eigen/Dense>
#include <cmath>

#include "compile/activation.h"

namespace {

using Matrix = Eigen::Matrix<double, Eigen::Dynamic, Eigen::Dynamic, 0, kMaxTunedConstants + 2,
                             kMaxTunedConstants + 2>;
using Vector = Eigen::Matrix<double, Eigen::Dynamic, 1, 0, kMaxTunedConstants + 2, 1>;

std::size_t LeftOf(const TunedNode* nodes, std::size_t i) { return i - 1 - nodes[i - 1].length; }

double Function(TunedOp op, double x) {
    switch (op) {
        case TunedOp::Exp: return std::exp(x);
        case TunedOp::Log: return std::log(x);
        case TunedOp::Sin: return std::sin(x);
        case TunedOp::Cos: return std::cos(x);
        case TunedOp::Tan: return std::tan(x);
        case TunedOp::Sigmoid: return ComputeSigmoid(static_cast<float>(x));
        default: return ComputeTanh(static_cast<float>(x));
    }
}

// The derivative at x of the function whose value there is y.
double Derivative(TunedOp op, double x, double y) {
    switch (op) {
        case TunedOp::Exp: return y;
        case TunedOp::Log: return 1 / x;
        case TunedOp::Sin: return std::cos(x);
        case TunedOp::Cos: return -std::sin(x);
        case TunedOp::Tan: return 1 + y * y;
        case TunedOp::Sigmoid: return std::fabs(x) < 5 ? y * (1 - y) : 0;
        default: return std::fabs(x) < 3 ? 1 - y * y : 0;
    }
}

}  // namespace

void ConstantTuner::Forward(const TunedNode* nodes, std::size_t count, const TunedRows& rows, std::size_t first,
                            std::size_t block) {
    for (std::size_t i = 0; i < count; ++i) {
        double* v = &value_[i * kBlock];
        const TunedNode& node = nodes[i];
        switch (ArityOf(node.op)) {
            case 0:
                if (node.op == TunedOp::Input) {
                    const float* column = rows.columns[node.input].data() + first;
                    for (std::size_t r = 0; r < block; ++r) v[r] = column[r];
                } else {
                    for (std::size_t r = 0; r < block; ++r) v[r] = constant_[i];
                }
                break;
            case 1: {
                const double* x = &value_[(i - 1) * kBlock];
                for (std::size_t r = 0; r < block; ++r) v[r] = Function(node.op, x[r]);
                break;
            }
            default: {
                const double* a = &value_[LeftOf(nodes, i) * kBlock];
                const double* b = &value_[(i - 1) * kBlock];
                switch (node.op) {
                    case TunedOp::Add: for (std::size_t r = 0; r < block; ++r) v[r] = a[r] + b[r]; break;
                    case TunedOp::Sub: for (std::size_t r = 0; r < block; ++r) v[r] = a[r] - b[r]; break;
                    case TunedOp::Mul: for (std::size_t r = 0; r < block; ++r) v[r] = a[r] * b[r]; break;
                    default: for (std::size_t r = 0; r < block; ++r) v[r] = a[r] / b[r]; break;
                }
            }
        }
    }
}

bool ConstantTuner::Evaluate(TunedNode* nodes, std::size_t count, const TunedRows& rows, const double* p,
                             std::size_t size, Pass& pass) {
    const std::size_t n = constantNodes_.size();
    for (std::size_t j = 0; j < n; ++j) constant_[constantNodes_[j]] = p[j];
    const double scale = p[n], offset = p[n + 1];
    pass.cost = 0;
    for (std::size_t a = 0; a < size; ++a) {
        pass.gradient[a] = 0;
        for (std::size_t b = 0; b < size; ++b) pass.normal[a][b] = 0;
    }
    const std::size_t root = count - 1;
    double g[kMaxTunedConstants + 2];
    for (std::size_t first = 0; first < rows.size(); first += kBlock) {
        const std::size_t block = std::min(kBlock, rows.size() - first);
        Forward(nodes, count, rows, first, block);
        std::fill(adjoint_.begin(), adjoint_.begin() + static_cast<std::ptrdiff_t>(count * kBlock), 0.0);
        for (std::size_t r = 0; r < block; ++r) adjoint_[root * kBlock + r] = 1;
        for (std::size_t i = count; i-- > 0;) {
            const TunedNode& node = nodes[i];
            const double* d = &adjoint_[i * kBlock];
            if (ArityOf(node.op) == 1) {
                const double* x = &value_[(i - 1) * kBlock];
                const double* y = &value_[i * kBlock];
                double* dx = &adjoint_[(i - 1) * kBlock];
                for (std::size_t r = 0; r < block; ++r) dx[r] += d[r] * Derivative(node.op, x[r], y[r]);
            } else if (ArityOf(node.op) == 2) {
                const std::size_t left = LeftOf(nodes, i);
                const double* a = &value_[left * kBlock];
                const double* b = &value_[(i - 1) * kBlock];
                double* da = &adjoint_[left * kBlock];
                double* db = &adjoint_[(i - 1) * kBlock];
                for (std::size_t r = 0; r < block; ++r) {
                    switch (node.op) {
                        case TunedOp::Add: da[r] += d[r], db[r] += d[r]; break;
                        case TunedOp::Sub: da[r] += d[r], db[r] -= d[r]; break;
                        case TunedOp::Mul: da[r] += d[r] * b[r], db[r] += d[r] * a[r]; break;
                        default: da[r] += d[r] / b[r], db[r] -= d[r] * a[r] / (b[r] * b[r]); break;
                    }
                }
            }
        }
        for (std::size_t r = 0; r < block; ++r) {
            const double f = value_[root * kBlock + r];
            const double e = scale * f + offset - rows.targets[first + r];
            pass.cost += e * e;
            for (std::size_t j = 0; j < n; ++j) g[j] = scale * adjoint_[constantNodes_[j] * kBlock + r];
            g[n] = f;
            g[n + 1] = 1;
            for (std::size_t a = 0; a < size; ++a) {
                pass.gradient[a] += g[a] * e;
                for (std::size_t b = a; b < size; ++b) pass.normal[a][b] += g[a] * g[b];
            }
        }
    }
    return std::isfinite(pass.cost);
}

bool ConstantTuner::Tune(TunedNode* nodes, std::size_t count, const TunedRows& rows, int iterations) {
    constantNodes_.clear();
    for (std::size_t i = 0; i < count; ++i)
        if (nodes[i].op == TunedOp::Constant) constantNodes_.push_back(i);
    const std::size_t n = constantNodes_.size(), size = n + 2;
    if (n == 0 || n > kMaxTunedConstants || rows.size() == 0) return false;
    value_.resize(count * kBlock);
    adjoint_.resize(count * kBlock);
    constant_.resize(count);

    double p[kMaxTunedConstants + 2], q[kMaxTunedConstants + 2];
    for (std::size_t j = 0; j < n; ++j) p[j] = nodes[constantNodes_[j]].value;
    // The scale and offset that fit the starting constants best.
    std::vector<double>& f = scratch_;
    f.resize(rows.size());
    p[n] = 1, p[n + 1] = 0;
    Values(nodes, count, rows, 1, 0, f.data());
    double meanF = 0, meanT = 0, covariance = 0, variance = 0;
    for (std::size_t r = 0; r < rows.size(); ++r) meanF += f[r], meanT += rows.targets[r];
    meanF /= static_cast<double>(rows.size());
    meanT /= static_cast<double>(rows.size());
    for (std::size_t r = 0; r < rows.size(); ++r) {
        covariance += (f[r] - meanF) * (rows.targets[r] - meanT);
        variance += (f[r] - meanF) * (f[r] - meanF);
    }
    p[n] = variance > 0 ? covariance / variance : 0;
    p[n + 1] = meanT - p[n] * meanF;

    Pass* current = &passes_[0];
    Pass* trial = &passes_[1];
    if (!Evaluate(nodes, count, rows, p, size, *current)) return false;
    double lambda = 1e-3;
    bool improved = false;
    Matrix A(size, size);
    Vector b(size);
    for (int iteration = 0; iteration < iterations; ++iteration) {
        for (std::size_t i = 0; i < size; ++i) {
            for (std::size_t j = i; j < size; ++j) A(i, j) = A(j, i) = current->normal[i][j];
            A(i, i) += lambda * std::max(current->normal[i][i], 1e-12);
            b(i) = -current->gradient[i];
        }
        const Vector step = A.ldlt().solve(b);
        for (std::size_t i = 0; i < size; ++i) q[i] = p[i] + step(static_cast<Eigen::Index>(i));
        if (step.allFinite() && Evaluate(nodes, count, rows, q, size, *trial) && trial->cost < current->cost) {
            std::copy(q, q + size, p);
            std::swap(current, trial);
            lambda = std::max(lambda * 0.3, 1e-12);
            improved = true;
        } else {
            lambda *= 10;
        }
    }
    if (!improved) return false;
    for (std::size_t j = 0; j < n; ++j) nodes[constantNodes_[j]].value = static_cast<float>(p[j]);
    return true;
}

void ConstantTuner::Values(const TunedNode* nodes, std::size_t count, const TunedRows& rows, double scale,
                           double offset, double* out) {
    value_.resize(count * kBlock);
    constant_.resize(count);
    for (std::size_t i = 0; i < count; ++i) constant_[i] = nodes[i].value;
    for (std::size_t first = 0; first < rows.size(); first += kBlock) {
        const std::size_t block = std::min(kBlock, rows.size() - first);
        Forward(nodes, count, rows, first, block);
        for (std::size_t r = 0; r < block; ++r) out[first + r] = scale * value_[(count - 1) * kBlock + r] + offset;
    }
}
